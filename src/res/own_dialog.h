#pragma once

class QObject;
class QWidget;

namespace tramlet {

// The program's own windows, as opposed to the folder chooser and message
// boxes that Qt supplies, in which Enter, Escape and Control do nothing.
void MarkAsOwnDialog(QWidget& dialog);
bool IsInOwnDialog(const QObject* receiver);

}  // namespace tramlet
