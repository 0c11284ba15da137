// The steps a test-host run plays against the program, read from a script file.
//
// One step a line; blank lines and lines starting with "#" are skipped. Windows are named by
// their label (see windowLabel). A step that names a window waits until that window exists and
// its browser has been created.
//
//   call <window> <name> [<JSON array>]   the page calls the bridge: on_jscall(name, args)
//   expect <text>                         waits for a record line after the last expected one
//                                         that contains the text
//   answer <name> <JSON value>            what the page answers from now on when the program
//                                         invokes the page function <name> or evaluates the
//                                         script text <name>
//   tray <window> <mouse message>         a tray-icon click posted to the window (517 right
//                                         button up, 515 left double click)
//   newapp <window>                       the "a second copy started" message posted to it
//   close <window>                        the user closes the window
//   mark <text>                           writes "mark <text>" into the record
//   quit                                  the browser goes away: the host ends its loop
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/shared/expected.h"
#include "runtime/value.h"

namespace testhost {

enum class StepKind { Call, Expect, Answer, Tray, NewApp, Close, Mark, Quit };

struct Step {
    StepKind kind = StepKind::Mark;
    int line = 0;        // line number in the script, from 1
    std::string source;  // the line as written
    std::string window;  // call, tray, newapp, close
    std::string name;    // call: the call name; answer: the function or script text
    std::string text;    // expect, mark
    rt::Value value;     // call: the argument array; answer: the answer
    int number = 0;      // tray: the mouse message
};

// Reads a script; fails at the first line that is not a step, naming the line number and what
// is wrong with it.
morvick::Expected<std::vector<Step>> parseScript(std::string_view text);

}  // namespace testhost
