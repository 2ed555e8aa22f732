// The code generator's driver: compiling a whole program, reporting errors, emitting
// instructions and allocating frame slots. The constructs themselves are compiled in the
// codegen_*.cpp files named after them.
#include "script_engine/codegen_internal.h"

namespace script {

// ---------------------------------------------------------------------------------------------
// errors and emission

void CodeGen::Error(const Node* at, const std::string& message, const std::string& token) {
  std::string tok = token;
  if (tok.empty() && at) {
    switch (at->kind) {
      case NK::Name:
      case NK::Field: tok = at->text; break;
      case NK::Int:
      case NK::Float: tok = at->text; break;
      case NK::Str: tok = at->upper; break;
      case NK::Binary:
      case NK::Unary: tok = at->text; break;
      case NK::Index:
      case NK::Call:
        if (at->a && (at->a->kind == NK::Name || at->a->kind == NK::Field)) tok = at->a->text;
        break;
      default: break;
    }
  }
  ErrorAt(at ? at->line : line_, at ? at->col : col_, message, tok);
}

void CodeGen::ErrorAt(int line, int col, const std::string& message, const std::string& token) {
  if (error_.message.empty()) {
    error_.line = line;
    error_.col = col;
    error_.message = message;
    error_.token = token;
  }
  throw CompileAbort{};
}

int CodeGen::Emit(Opcode op, int32_t a, int32_t b, int32_t c) {
  Instr in;
  in.op = op;
  in.a = a;
  in.b = b;
  in.c = c;
  fs_->fn->code.push_back(in);
  fs_->fn->lines.push_back(line_);
  fs_->fn->cols.push_back(col_);
  return Here() - 1;
}

void CodeGen::PatchTo(int at, int target) {
  Instr& in = fs_->fn->code[static_cast<size_t>(at)];
  switch (in.op) {
    case OP_JMP:
    case OP_TRYX:
    case OP_TRYF: in.a = target; break;
    case OP_JT:
    case OP_JF: in.b = target; break;
    default: in.c = target; break;
  }
}

// ---------------------------------------------------------------------------------------------
// frame slots

void CodeGen::SetKinds(int start, const std::vector<uint8_t>& kinds) {
  size_t need = static_cast<size_t>(start) + kinds.size();
  if (need > static_cast<size_t>(kMaxFrameSlots)) Error(nullptr, "Data too large");
  if (fs_->kinds.size() < need) fs_->kinds.resize(need, 2);
  for (size_t i = 0; i < kinds.size(); ++i) fs_->kinds[static_cast<size_t>(start) + i] = kinds[i];
}

int CodeGen::AllocRun(const std::vector<uint8_t>& kinds) {
  int p = fs_->top;
  for (;;) {
    bool fits = true;
    for (size_t j = 0; j < kinds.size(); ++j) {
      size_t s = static_cast<size_t>(p) + j;
      if (s < fs_->kinds.size() && fs_->kinds[s] != 2 && fs_->kinds[s] != kinds[j]) {
        fits = false;
        break;
      }
    }
    if (fits) break;
    ++p;
  }
  SetKinds(p, kinds);
  fs_->temps.push_back(TempRecord{p, static_cast<int>(kinds.size()), false});
  fs_->top = p + static_cast<int>(kinds.size());
  return p;
}

int CodeGen::AllocTemp(const Type* t) { return AllocRun(t->kinds); }

void CodeGen::TempRelease(const Mark& m) {
  while (fs_->temps.size() > m.records) {
    TempRecord r = fs_->temps.back();
    fs_->temps.pop_back();
    if (!r.consumed) {
      for (int s = r.start; s < r.start + r.count; ++s) {
        if (fs_->kinds[static_cast<size_t>(s)] == 1) Emit(OP_CLEAR, s);
      }
    }
  }
  fs_->top = m.top;
}

int CodeGen::AddLocal(const Type* t) {
  int slot = fs_->localsEnd;
  SetKinds(slot, t->kinds);
  fs_->localsEnd += t->slots;
  fs_->top = fs_->localsEnd;
  return slot;
}

void CodeGen::Generate(const ProgramTree& tree) {
  TFunction mainFn;
  mainFn.name = "main";
  prog_.functions.push_back(std::move(mainFn));
  mainState_.fn = &prog_.functions[0];
  fs_ = &mainState_;
  // Main's frame starts with the globals; their initial values are stored by main's first code.
  // Routines are compiled into their own functions as they are met, so main's code vector must be
  // re-fetched after each declaration (the function list may grow).
  for (const Decl* d : tree.decls) {
    mainState_.fn = &prog_.functions[0];
    std::vector<Decl*> one{const_cast<Decl*>(d)};
    Declarations(one, true);
  }
  mainState_.fn = &prog_.functions[0];
  // Main-block names live in the global scope; locals_ is unused here.
  prog_.globalSlots = mainState_.localsEnd;
  Stmt(tree.body);
  mainState_.fn = &prog_.functions[0];
  PatchList(mainState_.exitJumps, Here());
  Emit(OP_RET);
  TFunction& fn = prog_.functions[0];
  fn.frameSize = static_cast<int32_t>(mainState_.kinds.size());
  fn.slotKinds.resize(mainState_.kinds.size());
  for (size_t i = 0; i < mainState_.kinds.size(); ++i) fn.slotKinds[i] = mainState_.kinds[i] == 1 ? 1 : 0;
  for (size_t i = 1; i < prog_.functions.size(); ++i) {
    if (prog_.functions[i].code.empty()) {
      // A routine declared forward and never given a body.
      for (const RoutineInfo& r : routines_) {
        if (r.funcIndex == static_cast<int>(i) && !r.defined && r.decl) {
          ErrorAt(r.decl->line, r.decl->col, "Unsatisfied forward or external declaration", r.name);
        }
      }
    }
  }
}

bool NativeTypeOf(const std::string& upper, TScriptType& out) {
  struct Entry {
    const char* name;
    TScriptType type;
  };
  static constexpr Entry kNames[] = {
      {"STRING", TScriptType::String},     {"ANSISTRING", TScriptType::String}, {"INTEGER", TScriptType::Integer},
      {"LONGINT", TScriptType::Integer},   {"CARDINAL", TScriptType::Cardinal}, {"LONGWORD", TScriptType::Cardinal},
      {"DWORD", TScriptType::Cardinal},    {"WORD", TScriptType::Word},         {"BYTE", TScriptType::Byte},
      {"SHORTINT", TScriptType::ShortInt}, {"SMALLINT", TScriptType::SmallInt}, {"INT64", TScriptType::Int64},
      {"SINGLE", TScriptType::Single},     {"DOUBLE", TScriptType::Double},     {"EXTENDED", TScriptType::Double},
      {"REAL", TScriptType::Double},       {"BOOLEAN", TScriptType::Boolean},   {"CHAR", TScriptType::Char},
      {"ANSICHAR", TScriptType::Char},
  };
  for (const Entry& e : kNames) {
    if (!upper.empty() && e.name[0] == upper[0] && upper == e.name) {
      out = e.type;
      return true;
    }
  }
  return false;
}

bool GenerateProgram(const ProgramTree& tree, const std::vector<ImportDecl>& imports,
                     TCompileError& error, TProgram& out) {
  out = TProgram();
  CodeGen gen(imports, error, out);
  try {
    gen.Generate(tree);
  } catch (const CompileAbort&) {
    return false;
  }
  return true;
}

}  // namespace script
