#include "tools/hostile/HostileEvents.h"

#include <map>
#include <stdexcept>

namespace hostile {

namespace {

std::map<std::string, EventsPlayer>& Players() {
  static std::map<std::string, EventsPlayer> players;
  return players;
}

}  // namespace

void AddEventsFamily(const Family& family, ExternalMaker make, EventsPlayer play) {
  Players().emplace(family.name, play);
  AddFamily(family, make);
}

Run PlayEvents(const std::string& Script, const std::function<void(TbsSkinData*)>& Load) {
  const std::string family = Script.substr(0, Script.find('\n'));
  const auto it = Players().find(family);
  if (it == Players().end()) throw std::invalid_argument("no events family " + family);
  return it->second(Script, Load);
}

}  // namespace hostile
