#pragma once
// The main window's layout, shape and status lines.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/window_state.h"

namespace tw {

struct AppContext;
struct Settings;
struct RgbColor;

// The window's layout from the settings, for a display of `dpi` pixels per
// inch (the settings' pixel sizes are those of 96). Settings outside what
// the layout can hold are taken at the nearest sound value: 1 to 6 text
// lines, pads and lines big enough for their fonts, a width that leaves
// the keyword box room beside the pads.
WindowGeometry ComputeGeometry(const Settings& s, int32_t osKind, int dpi);

// Lays the whole window out from the settings, loading it first if needed:
// caption, colours, position and width, fonts, height for the lines shown,
// top-most or not, and the controls.
void ApplyWindowSettings(AppContext& ctx);

// Sets the height for n status lines, cuts the rounded region and redraws
// the frame and the outline.
void FitWindowToLines(AppContext& ctx, int n);

// Recolours the window and redraws frame and outline, without resizing.
void RepaintOutline(AppContext& ctx, RgbColor back, RgbColor line);

// Shows a text (lines separated by CR LF) in the status lines, resizing the
// window when the number of lines changes. Returns at once when the text
// is the one shown already.
void ShowStatusText(AppContext& ctx, const std::string& text);

// Splits a text into lines no wider than maxWidth, breaking between
// characters and at every CR LF (which is dropped). Every line holds at
// least one character, even one wider than maxWidth.
using MeasureText = std::function<int(const std::string&)>;
std::vector<std::string> WrapText(const std::string& text, int maxWidth, const MeasureText& measure);

// Where a stored window position is, once the window has been laid out:
// the stored place when the pad row shows on some monitor, else the place a
// first start gives on the primary screen.
void PlaceOnAMonitor(AppContext& ctx);

}  // namespace tw
