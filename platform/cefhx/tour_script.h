// A scripted tour: the steps a tour file lists, one a line, played by the tour player against
// the program's windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cefhx {

enum class TourStepKind { Wait, Click, Fill, Shot, Pause, Tray, Menu, Box };

struct TourStep {
    TourStepKind kind = TourStepKind::Pause;
    int line = 0;          // 1-based line in the tour file
    std::string text;      // the line as written, without surrounding blanks
    std::string window;    // a window label ("login.html"); empty for pause, menu and box
    std::string target;    // wait: the expression; click, fill: the selector; shot: the name;
                           // menu: an item's label or id; box: a button's label
    std::string value;     // fill: the text to set
    unsigned pauseMs = 0;  // pause: how long
    int mouseMessage = 0;  // tray: the mouse message of the click
};

struct TourScript {
    std::vector<TourStep> steps;
    // Set when a line does not parse: its number, its text and what is wrong with it.
    int errorLine = 0;
    std::string errorText;
    std::string error;

    bool ok() const { return error.empty(); }
};

// Parses a tour file's text. Blank lines and lines starting with '#' are skipped; the first bad
// line stops the parse and is reported.
TourScript parseTour(std::string_view text);

// The label a window is named by in tours: the last path segment of its start address, without
// query or fragment.
std::string windowLabel(std::string_view address);

}  // namespace cefhx
