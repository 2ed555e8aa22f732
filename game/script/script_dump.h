// The script host's and the items' sections of the state dump: what scripts did, readable by tests
// and designers after a run.
#pragma once

namespace game {

// Adds (or replaces) the "script" section — the context, every run asked for, the executor pool's
// slots with their status and both variable stores — and the "items" section, every creature's
// inventory with names and counts.
void ScriptAddDumpSections();

}  // namespace game
