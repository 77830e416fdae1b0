#pragma once

class QApplication;

namespace tarnwick {

// Sets the application up for its Chinese texts: a font that has their characters, at
// the size the window's layout was drawn for, and Qt's own dialogs in Chinese.
void applyChineseUi(QApplication& app);

}  // namespace tarnwick
