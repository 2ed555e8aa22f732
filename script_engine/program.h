// The compiled form of a script: routines with their code and frame layout, constants, composite
// layouts and native imports. The code generator builds it, the loader writes and reads it as a
// byte string, and the VM runs it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script_engine/opcodes.h"
#include "script_engine/script.h"

namespace script {

// Slots of a composite value (record, static array, dynamic array element) and which of them hold
// managed references that copies retain and releases free.
struct TLayout {
  int32_t slots = 1;
  std::vector<int32_t> managed;
};

struct TFunction {
  std::string name;
  int32_t paramSlots = 0;   // parameters come first in the frame
  int32_t resultSlots = 0;  // then the result (functions), then locals and temporaries
  int32_t frameSize = 0;
  std::vector<uint8_t> slotKinds;  // per frame slot: 0 plain, 1 managed
  std::vector<Instr> code;
  std::vector<int32_t> lines;  // source line of each instruction
  std::vector<int32_t> cols;   // source column of each instruction
  // Derived on load: the managed slots, released when the frame ends, and whether any of them
  // is a parameter or part of the result (the call path skips that work when not).
  std::vector<int32_t> managed;
  bool managedParams = false;
  bool managedResult = false;
};

struct TImport {
  std::string name;  // upper case, as natives are registered
  std::vector<TScriptType> params;
  TScriptType result = TScriptType::Void;
};

struct TProgram {
  std::vector<TFunction> functions;  // 0 is the main block; its first slots are the globals
  int32_t globalSlots = 0;
  std::vector<int64_t> ints;
  std::vector<double> floats;
  std::vector<std::string> strings;
  std::vector<TLayout> layouts;
  std::vector<TImport> imports;
};

}  // namespace script
