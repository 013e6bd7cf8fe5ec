#pragma once

class QWidget;

// The tiled picture behind the side windows, the same one the main window holds.
void applyTiledBackground(QWidget *window);
