#pragma once

// The panel is designed in "ＭＳ Ｐゴシック". Linux has no such family, and
// fontconfig would fall back to a Latin face with other metrics; map the name
// to a metric-compatible proportional Japanese Gothic instead.
void installPanelFontSubstitutes();

class QLabel;
class QWidget;

// The layout gives its fonts in points, designed at 96 pixels per inch like
// its boxes; turn them into the pixel sizes of that design so text and boxes
// keep their proportions on a screen of any resolution.
void usePixelFontSizes(QWidget* root);

// The substitute's Latin letters are wider than the design's, so a caption can
// outgrow the box it was designed for and run under the next control. Such a
// caption is condensed horizontally to the designed width.
void fitCaptionToDesign(QLabel* label);
