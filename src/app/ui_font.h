#pragma once

class QApplication;

namespace tarnwick {

// Uses a font that has the Chinese characters of every text, at the size the
// window's layout was drawn for.
void applyUiFont(QApplication& app);

}  // namespace tarnwick
