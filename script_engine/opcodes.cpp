// Opcode names and the code lister.
#include "script_engine/opcodes.h"

#include <cstdio>

#include "script_engine/program.h"

namespace script {

const char* const kOpcodeNames[OP_COUNT] = {
#define SCRIPT_OP_NAME(name, operands, meaning) #name,
    SCRIPT_OPCODES(SCRIPT_OP_NAME)
#undef SCRIPT_OP_NAME
};

const char* const kOpcodeOperands[OP_COUNT] = {
#define SCRIPT_OP_OPERANDS(name, operands, meaning) operands,
    SCRIPT_OPCODES(SCRIPT_OP_OPERANDS)
#undef SCRIPT_OP_OPERANDS
};

std::string ListCode(const TProgram& program) {
  std::string out;
  char line[160];
  for (size_t f = 0; f < program.functions.size(); ++f) {
    const TFunction& fn = program.functions[f];
    std::snprintf(line, sizeof line, "routine %zu %s (params %d, result %d, frame %d)\n", f, fn.name.c_str(),
                  fn.paramSlots, fn.resultSlots, fn.frameSize);
    out += line;
    for (size_t i = 0; i < fn.code.size(); ++i) {
      const Instr& in = fn.code[i];
      const char* name = in.op < OP_COUNT ? kOpcodeNames[in.op] : "?";
      const char* kinds = in.op < OP_COUNT ? kOpcodeOperands[in.op] : "III";
      std::snprintf(line, sizeof line, "%5zu  %-8s", i, name);
      out += line;
      const int32_t operands[3] = {in.a, in.b, in.c};
      for (int k = 0; k < 3; ++k) {
        if (kinds[k] == '_') continue;
        std::snprintf(line, sizeof line, " %d", operands[k]);
        out += line;
      }
      if (in.op == OP_LOADS && in.b >= 0 && static_cast<size_t>(in.b) < program.strings.size()) {
        out += "  ; '" + program.strings[static_cast<size_t>(in.b)] + "'";
      }
      out += "\n";
    }
  }
  return out;
}

}  // namespace script
