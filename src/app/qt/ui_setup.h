#pragma once

#include <string>
#include <vector>

class QApplication;

namespace tarnwick {

// The program's arguments after its name, in UTF-8.
std::vector<std::string> argumentsOf(const QApplication& app);

// Sets the application up for its Chinese texts: a font that has their characters, at
// the size the window's layout was drawn for, and Qt's own dialogs in Chinese.
void applyChineseUi(QApplication& app);

}  // namespace tarnwick
