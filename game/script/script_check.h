// Checks of the content's scripts without running them: every script compiled against the game's
// 31 declarations, and the names that calls give as literal texts looked up among the definitions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/gui/gui.h"
#include "game/script/script_host.h"

namespace game {

// A literal text argument and where it starts in the source (1-based, as the compiler counts).
struct TScriptLiteral {
  std::string Text;
  int32_t Line = 0;
  int32_t Column = 0;
};

// For every call of `function` (any case) whose argument number `argument` (0-based) is one string
// literal and nothing else, that literal, in source order.
std::vector<TScriptLiteral> ScriptLiteralArguments(const std::string& source, std::string_view function,
                                                   size_t argument);

// A script of the content and where it came from.
struct TContentScript {
  std::string Source;
  TScriptOrigin Origin;
};

// The scripts of the loaded content: the map's blocks with their comments stripped as the game
// strips them at start, the wall kinds' touch scripts and the item kinds' use scripts, each that
// is not empty.
std::vector<TContentScript> ContentScripts();
// The create scripts of the GUI's window definitions and their buttons' click scripts, each that
// is not empty, with the origins the GUI gives them when it runs them.
std::vector<TContentScript> WindowScripts(const std::vector<TGmWindow>& definitions);

// Compiles every script (a failure is reported as the game reports it); in those that compile, a
// literal window name given to Window_Create must name one of `windowNames`, a literal item name
// given to Cr_GiveItem an item kind and a literal effect name given to Cr_EffectCreate an effect
// kind (all case-insensitive). Returns the number of problems reported.
int32_t CheckScripts(const std::vector<TContentScript>& scripts, const std::vector<std::string>& windowNames);

}  // namespace game
