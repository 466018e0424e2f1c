#include "res/own_dialog.h"

#include <QWidget>

namespace tramlet {
namespace {

constexpr const char* kOwnDialog = "tramletOwnDialog";

}  // namespace

void MarkAsOwnDialog(QWidget& dialog) {
    dialog.setProperty(kOwnDialog, true);
}

bool IsInOwnDialog(const QObject* receiver) {
    if (!receiver || !receiver->isWidgetType())
        return false;
    const QWidget* window = static_cast<const QWidget*>(receiver)->window();
    return window && window->property(kOwnDialog).toBool();
}

}  // namespace tramlet
