#pragma once

#include <QString>

namespace tramlet {

// The user-interface text by string id; empty for an unknown id.
QString LoadString(int id);

}  // namespace tramlet
