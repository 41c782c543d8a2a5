#pragma once
// A headless form that puts a skin through everything a user can do with it: the form skinning
// component, a main menu on a skinned menu bar, a skinned popup menu, a skinned hint and one control of
// every skinned control class, painted, resized to 1 x 1 and 8000 x 8000, rolled up, menus, the hint and
// drop-downs opened, every control clicked, dragged and typed at, switched to another skin and back (once
// plainly, once while a modal skinned form, its combo box's list and the popup menu are open), and the
// form freed. A form text goes through a shorter way: read into a form over a good skin, shown, painted
// and freed.
//
// Whatever raises on the way (a load that refuses the skin, a paint or handler that raises) is written
// down and the next step goes on; the caller decides what counts.
#include <functional>
#include <string>
#include <vector>

class TbsSkinData;

namespace hostile {

struct Run {
  std::string load;                 // empty when the skin loaded, else why it was refused
  std::vector<std::string> raised;  // "step: message" for each exception after the load
};

enum class Depth {
  Paint,  // load, show, paint, resize, free: what a fuzzer can afford per input
  Full,   // everything above
};

// Load puts the skin under test into the skin data component; Second, when given, loads the other skin
// the form switches to and back from. Creates the test harness (manual clock, headless screen) for the
// length of the call. Picture, when given, is where the screen is written as a PNG after the first paint.
Run Exercise(const std::function<void(TbsSkinData*)>& Load, const std::function<void(TbsSkinData*)>& Second,
             Depth depth, const std::string& Picture = "");

// Reads Text (a form resource of class TForm) into a new form that holds a skin data component named
// FormSkinDataName (HostileFormTexts.h), into which Load has put a skin; then shows, paints and frees the
// form. Run::load is why the reader refused the text; a raise of Load is a raise of the step "skin".
Run ExerciseForm(const std::string& Text, const std::function<void(TbsSkinData*)>& Load,
                 const std::string& Picture = "");

}  // namespace hostile
