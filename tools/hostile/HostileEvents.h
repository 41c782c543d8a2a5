#pragma once
// Families whose inputs are scripts that drive controls through their own events in one process: each
// handler frees, clears or changes the control it belongs to, and the control must survive it or stop
// cleanly. A script ("events.txt") names its family on its first line; that family's player runs it.
#include <functional>
#include <string>

#include "tools/hostile/HostileForm.h"
#include "tools/hostile/HostileSkins.h"

class TbsSkinData;

namespace hostile {

// Runs a script; Load puts the good test skin into a skin data component for the skinned controls. A
// refusal the control documents (its own exception class) is not a raise.
using EventsPlayer = Run (*)(const std::string& Script, const std::function<void(TbsSkinData*)>& Load);

// Appends an events family to the set, its inputs Kind::Events; a name the set holds already is left alone.
void AddEventsFamily(const Family& family, ExternalMaker make, EventsPlayer play);
// Plays a script with the player of the family its first line names.
Run PlayEvents(const std::string& Script, const std::function<void(TbsSkinData*)>& Load);

// The tree view's family (HostileTreeView.cpp): every event of the plain and the skinned tree view, each
// handler doing one of the things a handler may do to the view, the view driven by mouse, keys and code.
void AddTreeViewFamily();

}  // namespace hostile
