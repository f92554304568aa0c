#pragma once

// The panel is designed in "ＭＳ Ｐゴシック". Linux has no such family, and
// fontconfig would fall back to a Latin face with other metrics; map the name
// to a metric-compatible proportional Japanese Gothic instead.
void installPanelFontSubstitutes();
