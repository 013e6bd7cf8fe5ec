#pragma once

#include <QString>

class QLabel;

// Puts a text of any length into a label of a fixed size: in the label's own font at the
// largest point size from maxPoints down to minPoints that keeps it on one line; else wrapped
// at minPoints when the lines fit the height; else on one line at minPoints with its middle
// left out, the whole text in the tooltip.
void fitText(QLabel *label, const QString &text, int maxPoints, int minPoints);
