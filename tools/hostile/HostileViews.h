#pragma once
// List views whose handlers turn on them: from each event of the plain and the skinned list view (each
// also with OwnerData), a handler frees the view, clears it, deletes an item, changes the count or
// switches OwnerData or the view style, while the view is driven as a user and a program drive it
// (painting, clicks, keys, type-ahead, editing, tips, the header, sorting, searching, adding and deleting,
// owner draw, other styles, and at last the form freed).
//
// An input is a text of lines "<view> <event> <action>"; the first input holds the cases that matter
// most, each of the rest one view and event with every action (the plain view's state changes first).
#include <functional>
#include <string>

#include "tools/hostile/HostileForm.h"

namespace hostile {

// Adds the family to the set, once.
void AddViewFamilies();

// Runs every line of Text, each on a new form, the skinned views over the skin Load gives, in this
// process. A clear error (an Exception) is what an action that cannot be made safe gives and is not
// written down; anything else raised is.
Run ExerciseViews(const std::string& Text, const std::function<void(TbsSkinData*)>& Load);

}  // namespace hostile
