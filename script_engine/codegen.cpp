// The code generator: names, types and typed VM code for a parsed program.
#include "script_engine/codegen.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "script_engine/stdlib.h"
#include "script_engine/types.h"
#include "script_engine/vm.h"

namespace script {

namespace {

// Largest frame (and so largest static array) a routine may have, in slots.
constexpr int64_t kMaxFrameSlots = 1 << 20;

struct ConstValue {
  int64_t i = 0;
  double f = 0.0;
  std::string s;
};

struct RoutineInfo {
  std::string name;
  int funcIndex = -1;    // script routine
  int importIndex = -1;  // native routine (index into the import declarations)
  std::vector<const Type*> paramTypes;
  std::vector<ParamMode> modes;
  std::vector<std::string> paramNames;
  std::vector<int32_t> offsets;  // slot of each parameter in the callee frame
  int32_t paramSlots = 0;
  const Type* result = nullptr;  // tVoid for procedures
  bool defined = false;
  const RoutineDecl* decl = nullptr;
};

enum class SymKind : uint8_t { Const, Var, TypeName, Routine };

struct Symbol {
  SymKind kind = SymKind::Var;
  const Type* type = nullptr;
  ConstValue value;
  bool global = false;
  int32_t slot = 0;
  bool byRef = false;     // var parameter: the slot holds a reference
  bool readOnly = false;  // const parameter, typed constant, for-loop variable
  RoutineInfo* routine = nullptr;
};

// An evaluated expression: a constant or a register.
struct Val {
  const Type* type = nullptr;
  bool isConst = false;
  ConstValue k;
  int reg = -1;
};

// Where a variable lives.
struct Loc {
  enum Kind { Local, Global, Ref, DynElem } kind = Local;
  const Type* type = nullptr;
  int reg = 0;  // Local: slot; Global: global slot; Ref: register with the reference; DynElem: array
  int idx = 0;  // DynElem: index register
  bool readOnly = false;
};

struct TempRecord {
  int start;
  int count;
  bool consumed;  // handed to a callee that releases it
};

struct Mark {
  size_t records;
  int top;
};

struct LoopCtx {
  std::vector<int> breaks;
  std::vector<int> continues;
  size_t tryDepth;
};

// A jump out of a try-finally body, finished when the finally block's table is written.
struct PendingExit {
  int kind;     // 0 break, 1 continue, 2 exit
  size_t loop;  // loop index for break/continue
  int jump;     // the jump into the finally block, patched when the block is placed
};

struct TryCtx {
  bool isFinally;
  int pending;  // state slots of a finally
  size_t loopDepth;
  std::vector<PendingExit> exits;
};

struct FuncState {
  TFunction* fn = nullptr;
  RoutineInfo* routine = nullptr;  // null for the main block
  std::vector<uint8_t> kinds;      // 0 plain, 1 managed, 2 not yet used
  int localsEnd = 0;
  int top = 0;
  std::vector<TempRecord> temps;
  std::vector<LoopCtx> loops;
  std::vector<TryCtx> tries;
  std::vector<int> exitJumps;
  int resultSlot = -1;
};

bool FitsImm(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

int64_t WrapInt(int64_t v, IntKind ik) {
  switch (ik) {
    case IntKind::S8: return static_cast<int8_t>(static_cast<uint8_t>(v));
    case IntKind::U8: return static_cast<uint8_t>(v);
    case IntKind::S16: return static_cast<int16_t>(static_cast<uint16_t>(v));
    case IntKind::U16: return static_cast<uint16_t>(v);
    case IntKind::S32: return static_cast<int32_t>(static_cast<uint32_t>(v));
    case IntKind::U32: return static_cast<uint32_t>(v);
    case IntKind::S64: return v;
  }
  return v;
}

std::string Upper(const std::string& s) {
  std::string u = s;
  for (char& c : u) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return u;
}

class CodeGen {
 public:
  CodeGen(const std::vector<ImportDecl>& imports, TCompileError& error, TProgram& out)
      : imports_(imports), error_(error), prog_(out) {}

  void Generate(const ProgramTree& tree);

 private:
  // ---- errors
  [[noreturn]] void Error(const Node* at, const std::string& message, const std::string& token = {});
  [[noreturn]] void ErrorAt(int line, int col, const std::string& message, const std::string& token);

  // ---- emission
  int Emit(Opcode op, int32_t a = 0, int32_t b = 0, int32_t c = 0);
  int Here() const { return static_cast<int>(fs_->fn->code.size()); }
  void PatchTo(int at, int target);
  void PatchList(const std::vector<int>& list, int target) {
    for (int at : list) PatchTo(at, target);
  }
  void SetPos(const Node* n) {
    if (n) {
      line_ = n->line;
      col_ = n->col;
    }
  }

  // ---- frame slots
  int AllocRun(const std::vector<uint8_t>& kinds);
  int AllocTemp(const Type* t);
  Mark TempMark() const { return Mark{fs_->temps.size(), fs_->top}; }
  void TempRelease(const Mark& m);
  bool IsTemp(int reg) const { return reg >= fs_->localsEnd; }
  int AddLocal(const Type* t);
  void SetKinds(int start, const std::vector<uint8_t>& kinds);

  // ---- declarations
  void Declarations(const std::vector<Decl*>& decls, bool global);
  const Type* ResolveType(const Node* n);
  int64_t ConstInt(const Node* n);
  Val ConstExpr(const Node* n);
  void DeclareRoutine(const Decl* d);
  void CompileRoutine(RoutineInfo* info, const RoutineDecl* r);
  static void ReturnJumps(TFunction& fn);
  RoutineInfo* MakeRoutineInfo(const RoutineDecl* r);
  void Define(std::unordered_map<std::string, Symbol>& scope, const std::string& name,
              const Symbol& sym, const Node* at, int line, int col);
  const Symbol* Lookup(const std::string& upper) const;
  const Symbol* ImportSymbol(const std::string& upper) const;
  int LayoutOf(const Type* t);
  int ImportIndex(int declIndex);

  // ---- statements
  void Stmt(const Node* n);
  void Assign(const Node* n);
  bool AppendInPlace(const std::string& upper, int slot, const Node* rhs);
  bool IsPure(const Node* n) const;
  bool Mentions(const Node* n, const std::string& upper) const;
  void If(const Node* n);
  void CloseLoop(int continueTarget);
  void While(const Node* n);
  void Repeat(const Node* n);
  void For(const Node* n);
  void Case(const Node* n);
  void TryExcept(const Node* n);
  void TryFinally(const Node* n);
  void JumpOut(int kind, size_t loop, size_t tryLevel, const Node* at);
  void ExitStmt(const Node* n);

  // ---- expressions
  Val Expr(const Node* n, int target = -1, const Type* targetType = nullptr);
  void ExprInto(const Node* n, int dst, const Type* dstType);
  void StoreVal(Val v, int dst, const Type* dstType, const Node* at);
  int ToReg(const Val& v, int target = -1);
  Val Convert(Val v, const Type* to, const Node* at);
  int Dest(const Type* t, int target, const Type* targetType);
  Val Binary(const Node* n, int target, const Type* targetType);
  Val Unary(const Node* n, int target, const Type* targetType);
  Val Compare(const Node* n, int target, const Type* targetType);
  Val FoldBinary(TokenKind op, const Val& a, const Val& b, const Type* rt, const Node* n);
  void Cond(const Node* n, bool jumpIf, std::vector<int>& jumps);
  bool IsBoolExpr(const Node* n) const;
  const Type* StaticType(const Node* n) const;
  Val NameExpr(const Node* n, int target, const Type* targetType);
  Val CallExpr(const Node* n, int target, const Type* targetType);
  Val CallRoutine(RoutineInfo* r, const std::vector<Node*>& args, const Node* at, int target,
                  const Type* targetType);
  Val CallBuiltin(int index, const std::vector<Node*>& args, const Node* at, int target,
                  const Type* targetType);
  bool Intrinsic(const std::string& name, const std::vector<Node*>& args, const Node* at,
                 int target, const Type* targetType, Val& out);
  bool TypeCast(const Type* t, const std::vector<Node*>& args, const Node* at, Val& out);
  Loc LValue(const Node* n);
  Val ReadLoc(const Loc& loc, int target, const Type* targetType);
  void StoreLoc(const Loc& loc, Val v, const Node* at);
  int RefOf(const Loc& loc);
  void CopyComposite(const Loc& dst, const Node* src, const Node* at);
  Val ConstInteger(int64_t v) const;
  [[noreturn]] void Incompatible(const Node* at, const Type* to, const Type* from) {
    Error(at, "Incompatible types: '" + to->name + "' and '" + from->name + "'");
  }
  const Type* TypeOfNative(TScriptType t) const;
  void ArgInto(const Node* arg, int slot, const Type* type, ParamMode mode, const Node* at);

  const std::vector<ImportDecl>& imports_;
  TCompileError& error_;
  TProgram& prog_;
  TypeTable types_;
  std::unordered_map<std::string, Symbol> globals_;
  std::unordered_map<std::string, Symbol> locals_;
  mutable std::deque<RoutineInfo> routines_;
  // Symbols of the host's declarations, made when first used (see ImportSymbol).
  mutable std::unordered_map<std::string, Symbol> importSymbols_;
  std::unordered_map<const Type*, int> layouts_;
  std::unordered_map<int, int> importIndex_;  // import declaration -> program import
  std::unordered_map<std::string, int> stringConsts_;
  FuncState* fs_ = nullptr;
  FuncState mainState_;
  int line_ = 1;
  int col_ = 1;
};

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

// ---------------------------------------------------------------------------------------------
// declarations

void CodeGen::Define(std::unordered_map<std::string, Symbol>& scope, const std::string& name,
                     const Symbol& sym, const Node* at, int line, int col) {
  std::string u = Upper(name);
  if (scope.count(u)) {
    if (at) Error(at, "Duplicate identifier", name);
    ErrorAt(line, col, "Duplicate identifier", name);
  }
  scope[u] = sym;
}

const Symbol* CodeGen::Lookup(const std::string& upper) const {
  if (fs_ != &mainState_) {
    auto it = locals_.find(upper);
    if (it != locals_.end()) return &it->second;
  }
  auto it = globals_.find(upper);
  if (it != globals_.end()) return &it->second;
  return ImportSymbol(upper);
}

// The host's declarations form the outer scope: the program's own names hide them. A symbol is
// made the first time a declaration is used, since a script uses few of the host's routines.
const Symbol* CodeGen::ImportSymbol(const std::string& upper) const {
  auto known = importSymbols_.find(upper);
  if (known != importSymbols_.end()) return &known->second;
  for (size_t i = 0; i < imports_.size(); ++i) {
    const ImportDecl& d = imports_[i];
    if (d.upper != upper) continue;
    routines_.emplace_back();
    RoutineInfo* info = &routines_.back();
    info->name = d.name;
    info->importIndex = static_cast<int>(i);
    info->defined = true;
    int32_t offset = 0;
    for (TScriptType t : d.params) {
      info->paramTypes.push_back(TypeOfNative(t));
      info->modes.push_back(ParamMode::Value);
      info->paramNames.emplace_back();
      info->offsets.push_back(offset++);
    }
    info->paramSlots = offset;
    info->result = d.result == TScriptType::Void ? types_.tVoid : TypeOfNative(d.result);
    Symbol sym;
    sym.kind = SymKind::Routine;
    sym.routine = info;
    sym.type = info->result;
    return &(importSymbols_[upper] = sym);
  }
  return nullptr;
}

int CodeGen::LayoutOf(const Type* t) {
  auto it = layouts_.find(t);
  if (it != layouts_.end()) return it->second;
  TLayout layout;
  layout.slots = t->slots;
  for (size_t i = 0; i < t->kinds.size(); ++i) {
    if (t->kinds[i] == 1) layout.managed.push_back(static_cast<int32_t>(i));
  }
  prog_.layouts.push_back(std::move(layout));
  int index = static_cast<int>(prog_.layouts.size()) - 1;
  layouts_[t] = index;
  return index;
}

int CodeGen::ImportIndex(int declIndex) {
  auto it = importIndex_.find(declIndex);
  if (it != importIndex_.end()) return it->second;
  const ImportDecl& d = imports_[static_cast<size_t>(declIndex)];
  TImport imp;
  imp.name = d.upper;
  imp.params = d.params;
  imp.result = d.result;
  prog_.imports.push_back(imp);
  int index = static_cast<int>(prog_.imports.size()) - 1;
  importIndex_[declIndex] = index;
  return index;
}

const Type* CodeGen::ResolveType(const Node* n) {
  switch (n->kind) {
    case NK::TypeName: {
      if (const Type* t = types_.Builtin(n->upper)) return t;
      const Symbol* s = Lookup(n->upper);
      if (!s) Error(n, "Unknown type", n->text);
      if (s->kind != SymKind::TypeName) Error(n, "Type expected", n->text);
      return s->type;
    }
    case NK::TypeArray: {
      int64_t lo = ConstInt(n->a), hi = ConstInt(n->b);
      const Type* elem = ResolveType(n->c);
      if (hi < lo) Error(n->b, "Invalid array range");
      if (hi - lo + 1 > kMaxFrameSlots || (hi - lo + 1) * elem->slots > kMaxFrameSlots) {
        Error(n, "Data too large");
      }
      return types_.NewStaticArray(elem, lo, hi);
    }
    case NK::TypeDynArray: return types_.NewDynArray(ResolveType(n->c));
    case NK::TypeRecord: {
      Type* rec = types_.NewRecord();
      std::unordered_map<std::string, bool> seen;
      for (const Node* f : n->list) {
        const Type* ft = ResolveType(f->c);
        for (const std::string& name : f->names) {
          if (seen[Upper(name)]) Error(f, "Duplicate identifier", name);
          seen[Upper(name)] = true;
          types_.AddField(rec, name, ft);
          if (rec->slots > kMaxFrameSlots) Error(f, "Data too large");
        }
      }
      if (rec->slots == 0) Error(n, "Empty record");
      return rec;
    }
    default: break;
  }
  Error(n, "Type expected");
}

Val CodeGen::ConstExpr(const Node* n) {
  // Constant expressions are compiled like any other and must fold to a constant; whatever code
  // was emitted on the way is dropped.
  size_t codeSize = fs_->fn->code.size();
  Mark m = TempMark();
  Val v = Expr(n);
  fs_->fn->code.resize(codeSize);
  fs_->fn->lines.resize(codeSize);
  fs_->fn->cols.resize(codeSize);
  fs_->temps.resize(m.records);
  fs_->top = m.top;
  if (!v.isConst) Error(n, "Constant expression expected");
  return v;
}

int64_t CodeGen::ConstInt(const Node* n) {
  Val v = ConstExpr(n);
  if (!v.type->IsOrdinal()) Error(n, "Ordinal constant expected");
  return v.k.i;
}

RoutineInfo* CodeGen::MakeRoutineInfo(const RoutineDecl* r) {
  routines_.emplace_back();
  RoutineInfo* info = &routines_.back();
  info->name = r->name;
  info->decl = r;
  int32_t offset = 0;
  for (const ParamDecl& p : r->params) {
    const Type* t = ResolveType(p.type);
    for (const std::string& name : p.names) {
      info->paramTypes.push_back(t);
      info->modes.push_back(p.mode);
      info->paramNames.push_back(name);
      info->offsets.push_back(offset);
      offset += p.mode == ParamMode::Var ? 1 : t->slots;
    }
  }
  info->paramSlots = offset;
  info->result = r->isFunction ? ResolveType(r->result) : types_.tVoid;
  return info;
}

void CodeGen::DeclareRoutine(const Decl* d) {
  const RoutineDecl* r = d->routine;
  auto it = globals_.find(r->upper);
  RoutineInfo* info = nullptr;
  if (it != globals_.end()) {
    // The body of a routine declared forward: the headings must agree.
    if (it->second.kind != SymKind::Routine || it->second.routine->defined ||
        it->second.routine->importIndex >= 0 || r->isForward) {
      ErrorAt(r->line, r->col, "Duplicate identifier", r->name);
    }
    info = it->second.routine;
    RoutineInfo* fresh = MakeRoutineInfo(r);
    bool same = fresh->paramTypes.size() == info->paramTypes.size() &&
                SameType(fresh->result, info->result);
    for (size_t i = 0; same && i < fresh->paramTypes.size(); ++i) {
      same = SameType(fresh->paramTypes[i], info->paramTypes[i]) && fresh->modes[i] == info->modes[i];
    }
    if (!same) ErrorAt(r->line, r->col, "Declaration differs from previous declaration", r->name);
    info->decl = r;
  } else {
    info = MakeRoutineInfo(r);
    TFunction fn;
    fn.name = r->name;
    prog_.functions.push_back(std::move(fn));
    info->funcIndex = static_cast<int>(prog_.functions.size()) - 1;
    Symbol sym;
    sym.kind = SymKind::Routine;
    sym.routine = info;
    sym.type = info->result;
    globals_[r->upper] = sym;
  }
  if (!r->isForward) {
    info->defined = true;
    CompileRoutine(info, r);
  }
}

void CodeGen::Declarations(const std::vector<Decl*>& decls, bool global) {
  auto& scope = global ? globals_ : locals_;
  for (const Decl* d : decls) {
    line_ = d->line;
    col_ = d->col;
    switch (d->kind) {
      case DeclKind::Const: {
        Symbol sym;
        if (d->type) {
          // A typed constant is a read-only variable with an initial value.
          const Type* t = ResolveType(d->type);
          if (t->IsComposite() || t->kind == TypeKind::DynArray) {
            ErrorAt(d->line, d->col, "Typed constants of this type are not supported", d->names[0]);
          }
          Val v = ConstExpr(d->value);
          v = Convert(v, t, d->value);
          sym.kind = SymKind::Const;
          sym.type = t;
          sym.value = v.k;
        } else {
          Val v = ConstExpr(d->value);
          sym.kind = SymKind::Const;
          sym.type = v.type;
          sym.value = v.k;
        }
        Define(scope, d->names[0], sym, nullptr, d->line, d->col);
        break;
      }
      case DeclKind::Type: {
        Symbol sym;
        sym.kind = SymKind::TypeName;
        sym.type = ResolveType(d->type);
        Define(scope, d->names[0], sym, nullptr, d->line, d->col);
        break;
      }
      case DeclKind::Var: {
        const Type* t = ResolveType(d->type);
        for (const std::string& name : d->names) {
          Symbol sym;
          sym.kind = SymKind::Var;
          sym.type = t;
          sym.global = global;
          sym.slot = AddLocal(t);
          Define(scope, name, sym, nullptr, d->line, d->col);
          if (d->value) {
            if (t->IsComposite()) ErrorAt(d->line, d->col, "Cannot initialize this type", name);
            Val v = ConstExpr(d->value);
            StoreVal(v, sym.slot, t, d->value);
          }
        }
        break;
      }
      case DeclKind::Routine: DeclareRoutine(d); break;
    }
  }
}

void CodeGen::CompileRoutine(RoutineInfo* info, const RoutineDecl* r) {
  FuncState state;
  TFunction& fn = prog_.functions[static_cast<size_t>(info->funcIndex)];
  fn.code.clear();
  fn.lines.clear();
  fn.cols.clear();
  fn.code.reserve(64);
  fn.lines.reserve(64);
  fn.cols.reserve(64);
  state.fn = &fn;
  state.routine = info;
  FuncState* saved = fs_;
  fs_ = &state;
  locals_.clear();
  for (size_t i = 0; i < info->paramTypes.size(); ++i) {
    Symbol sym;
    sym.kind = SymKind::Var;
    sym.type = info->paramTypes[i];
    sym.slot = info->offsets[i];
    sym.byRef = info->modes[i] == ParamMode::Var;
    sym.readOnly = info->modes[i] == ParamMode::Const;
    if (sym.byRef) {
      SetKinds(sym.slot, {0});
    } else {
      SetKinds(sym.slot, sym.type->kinds);
    }
    Define(locals_, info->paramNames[i], sym, nullptr, r->line, r->col);
  }
  state.localsEnd = info->paramSlots;
  state.top = state.localsEnd;
  if (info->result->kind != TypeKind::Void) {
    state.resultSlot = AddLocal(info->result);
    Symbol sym;
    sym.kind = SymKind::Var;
    sym.type = info->result;
    sym.slot = state.resultSlot;
    if (!locals_.count("RESULT")) locals_["RESULT"] = sym;
  }
  Declarations(r->decls, false);
  fn.paramSlots = info->paramSlots;
  fn.resultSlots = info->result->kind == TypeKind::Void ? 0 : info->result->slots;
  Stmt(r->body);
  line_ = r->body->line;
  int ret = Here();
  PatchList(state.exitJumps, ret);
  Emit(OP_RET);
  ReturnJumps(fn);
  fn.frameSize = static_cast<int32_t>(state.kinds.size());
  fn.slotKinds.resize(state.kinds.size());
  for (size_t i = 0; i < state.kinds.size(); ++i) fn.slotKinds[i] = state.kinds[i] == 1 ? 1 : 0;
  locals_.clear();
  fs_ = saved;
}

// A jump to a return is a return: common at the end of if/else branches in functions.
void CodeGen::ReturnJumps(TFunction& fn) {
  for (Instr& in : fn.code) {
    if (in.op == OP_JMP && fn.code[static_cast<size_t>(in.a)].op == OP_RET) {
      in.op = OP_RET;
      in.a = 0;
    }
  }
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

// ---------------------------------------------------------------------------------------------
// statements

void CodeGen::Stmt(const Node* n) {
  if (!n) return;
  SetPos(n);
  Mark m = TempMark();
  switch (n->kind) {
    case NK::Compound:
      for (const Node* s : n->list) Stmt(s);
      break;
    case NK::Assign: Assign(n); break;
    case NK::ExprStmt: {
      const Node* e = n->a;
      if (e->kind == NK::Name || e->kind == NK::Call) {
        Val v = Expr(e);
        (void)v;
      } else {
        Error(e, "Statement expected");
      }
      break;
    }
    case NK::If: If(n); break;
    case NK::While: While(n); break;
    case NK::Repeat: Repeat(n); break;
    case NK::For: For(n); break;
    case NK::Case: Case(n); break;
    case NK::Break:
    case NK::Continue: {
      if (fs_->loops.empty()) Error(n, "BREAK or CONTINUE outside of loop", n->kind == NK::Break ? "Break" : "Continue");
      JumpOut(n->kind == NK::Break ? 0 : 1, fs_->loops.size() - 1, fs_->tries.size(), n);
      break;
    }
    case NK::Exit: ExitStmt(n); break;
    case NK::TryExcept: TryExcept(n); break;
    case NK::TryFinally: TryFinally(n); break;
    default: Error(n, "Statement expected");
  }
  TempRelease(m);
}

void CodeGen::Assign(const Node* n) {
  const Node* target = n->a;
  // Assignment to the function name inside the function sets its result.
  if (target->kind == NK::Name) {
    const Symbol* sym = Lookup(target->upper);
    if (sym && sym->kind == SymKind::Routine && fs_->routine == sym->routine && fs_->resultSlot >= 0) {
      const Type* rt = fs_->routine->result;
      if (rt->IsComposite()) {
        Loc loc;
        loc.kind = Loc::Local;
        loc.type = rt;
        loc.reg = fs_->resultSlot;
        CopyComposite(loc, n->b, n);
      } else {
        ExprInto(n->b, fs_->resultSlot, rt);
      }
      return;
    }
    if (sym && sym->kind == SymKind::Var && !sym->byRef && (!sym->global || fs_ == &mainState_)) {
      if (sym->readOnly) Error(target, "Left side cannot be assigned to", target->text);
      if (sym->type->kind == TypeKind::String && AppendInPlace(target->upper, sym->slot, n->b)) return;
      if (sym->type->IsComposite()) {
        Loc loc;
        loc.kind = Loc::Local;
        loc.type = sym->type;
        loc.reg = sym->slot;
        CopyComposite(loc, n->b, n);
      } else {
        ExprInto(n->b, sym->slot, sym->type);
      }
      return;
    }
  }
  const Type* st = StaticType(target);
  if (st && st->IsComposite()) {
    Loc loc = LValue(target);
    if (loc.readOnly) Error(target, "Left side cannot be assigned to");
    CopyComposite(loc, n->b, n);
    return;
  }
  // String character: s[i] := c.
  if (target->kind == NK::Index && st && st->kind == TypeKind::Char) {
    const Type* bt = StaticType(target->a);
    if (bt && bt->kind == TypeKind::String) {
      Val v = Convert(Expr(n->b), types_.tChar, n->b);
      int vreg = ToReg(v);
      Loc sloc = LValue(target->a);
      if (sloc.readOnly) Error(target, "Left side cannot be assigned to");
      int ref = RefOf(sloc);
      Val idx = Convert(Expr(target->b), types_.tInt64, target->b);
      int ireg = ToReg(idx);
      SetPos(target);
      Emit(OP_SSETC, ref, ireg, vreg);
      return;
    }
  }
  // The value first, then the location: a location inside a dynamic array must not be computed
  // before a call on the right side that could resize the array.
  Val v = Expr(n->b);
  Loc loc = LValue(target);
  if (loc.readOnly) Error(target, "Left side cannot be assigned to");
  StoreLoc(loc, v, n->b);
}

// True when an expression cannot change or observe variables: literals, names of variables and
// constants, and pure standard routines applied to such expressions.
bool CodeGen::IsPure(const Node* n) const {
  switch (n->kind) {
    case NK::Int:
    case NK::Float:
    case NK::Str: return true;
    case NK::Name: {
      const Symbol* s = Lookup(n->upper);
      return s && (s->kind == SymKind::Var || s->kind == SymKind::Const);
    }
    case NK::Binary: return IsPure(n->a) && IsPure(n->b);
    case NK::Unary: return IsPure(n->a);
    case NK::Call: {
      if (n->a->kind != NK::Name || Lookup(n->a->upper)) return false;
      const std::string& u = n->a->upper;
      if (u != "CHR" && u != "INTTOSTR" && u != "COPY" && u != "UPPERCASE" && u != "LOWERCASE" &&
          u != "TRIM" && u != "FLOATTOSTR" && u != "STRINGOFCHAR" && u != "REPLICATE") {
        return false;
      }
      for (const Node* a : n->list) {
        if (!IsPure(a)) return false;
      }
      return true;
    }
    default: return false;
  }
}

bool CodeGen::Mentions(const Node* n, const std::string& upper) const {
  if (!n) return false;
  if ((n->kind == NK::Name) && n->upper == upper) return true;
  if (Mentions(n->a, upper) || Mentions(n->b, upper)) return true;
  for (const Node* x : n->list) {
    if (Mentions(x, upper)) return true;
  }
  return false;
}

// s := s + a + b + ...  appends to s in place when the added parts neither mention s nor have
// side effects, so the string is not copied once per part.
bool CodeGen::AppendInPlace(const std::string& upper, int slot, const Node* rhs) {
  std::vector<const Node*> parts;
  const Node* n = rhs;
  while (n->kind == NK::Binary && n->op == TK_PLUS) {
    parts.push_back(n->b);
    n = n->a;
  }
  if (parts.size() < 2 || n->kind != NK::Name || n->upper != upper) return false;
  for (const Node* p : parts) {
    const Type* t = StaticType(p);
    if (!t || (t->kind != TypeKind::String && t->kind != TypeKind::Char)) return false;
    if (!IsPure(p) || Mentions(p, upper)) return false;
  }
  for (size_t i = parts.size(); i-- > 0;) {
    Mark m = TempMark();
    Val v = Expr(parts[i]);
    int r = ToReg(v);
    SetPos(parts[i]);
    Emit(v.type->kind == TypeKind::Char ? OP_CONCATC : OP_CONCAT, slot, slot, r);
    TempRelease(m);
  }
  return true;
}

void CodeGen::If(const Node* n) {
  std::vector<int> elseJumps;
  Cond(n->a, false, elseJumps);
  Stmt(n->b);
  if (n->c) {
    int j = Emit(OP_JMP);
    PatchList(elseJumps, Here());
    Stmt(n->c);
    PatchTo(j, Here());
  } else {
    PatchList(elseJumps, Here());
  }
}

// Ends the innermost loop: its continues go to `continueTarget`, its breaks to here.
void CodeGen::CloseLoop(int continueTarget) {
  LoopCtx ctx = std::move(fs_->loops.back());
  fs_->loops.pop_back();
  PatchList(ctx.continues, continueTarget);
  PatchList(ctx.breaks, Here());
}

void CodeGen::While(const Node* n) {
  int toCond = Emit(OP_JMP);
  int body = Here();
  fs_->loops.push_back(LoopCtx{{}, {}, fs_->tries.size()});
  Stmt(n->b);
  int cond = Here();
  PatchTo(toCond, cond);
  SetPos(n->a);
  std::vector<int> loop;
  Cond(n->a, true, loop);
  PatchList(loop, body);
  CloseLoop(cond);
}

void CodeGen::Repeat(const Node* n) {
  int body = Here();
  fs_->loops.push_back(LoopCtx{{}, {}, fs_->tries.size()});
  for (const Node* s : n->list) Stmt(s);
  int cond = Here();
  SetPos(n->a);
  std::vector<int> loop;
  Cond(n->a, false, loop);
  PatchList(loop, body);
  CloseLoop(cond);
}

void CodeGen::For(const Node* n) {
  const Node* var = n->a;
  const Symbol* sym = Lookup(var->upper);
  if (!sym) Error(var, "Unknown identifier", var->text);
  if (sym->kind != SymKind::Var || sym->byRef || (sym->global && fs_ != &mainState_) ||
      sym->readOnly) {
    Error(var, "Illegal counter variable", var->text);
  }
  if (!sym->type->IsOrdinal()) Error(var, "Ordinal type required", var->text);
  const Type* vt = sym->type;
  int slot = sym->slot;
  // Both bounds are evaluated once, before the loop.
  Val start = Convert(Expr(n->b), vt, n->b);
  int startReg = ToReg(start);
  int limit = AllocTemp(vt);
  ExprInto(n->c, limit, vt);
  Emit(OP_MOV, slot, startReg);
  int skip = Emit(n->flag ? OP_JLT : OP_JGT, slot, limit, 0);
  int body = Here();
  fs_->loops.push_back(LoopCtx{{}, {}, fs_->tries.size()});
  Symbol* mut = const_cast<Symbol*>(sym);
  bool wasReadOnly = mut->readOnly;
  mut->readOnly = true;
  Stmt(n->d);
  mut->readOnly = wasReadOnly;
  int cont = Here();
  SetPos(n);
  Emit(n->flag ? OP_FORD : OP_FORI, slot, limit, body);
  CloseLoop(cont);
  PatchTo(skip, Here());
}

void CodeGen::Case(const Node* n) {
  Val sel = Expr(n->a);
  if (!sel.type->IsOrdinal()) Error(n->a, "Ordinal type required");
  int reg = ToReg(sel);
  std::vector<int> ends;
  auto label = [&](const Node* e) {
    Val v = ConstExpr(e);
    if (!v.type->IsOrdinal()) Error(e, "Ordinal constant expected");
    if ((v.type->kind == TypeKind::Char) != (sel.type->kind == TypeKind::Char) ||
        (v.type->kind == TypeKind::Boolean) != (sel.type->kind == TypeKind::Boolean)) {
      Error(e, "Incompatible types");
    }
    return v.k.i;
  };
  for (const Node* branch : n->list) {
    std::vector<int> toBody;
    std::vector<int> toNext;
    for (const Node* l : branch->list) {
      SetPos(l);
      if (l->kind == NK::Binary && l->op == TK_DOTDOT) {
        int64_t lo = label(l->a), hi = label(l->b);
        if (!FitsImm(lo) || !FitsImm(hi)) Error(l, "Case label out of range");
        int skip = Emit(OP_JLTK, reg, static_cast<int32_t>(lo), 0);
        toBody.push_back(Emit(OP_JLEK, reg, static_cast<int32_t>(hi), 0));
        PatchTo(skip, Here());
      } else {
        int64_t v = label(l);
        if (!FitsImm(v)) Error(l, "Case label out of range");
        toBody.push_back(Emit(OP_JEQK, reg, static_cast<int32_t>(v), 0));
      }
    }
    toNext.push_back(Emit(OP_JMP));
    PatchList(toBody, Here());
    Stmt(branch->a);
    ends.push_back(Emit(OP_JMP));
    PatchList(toNext, Here());
  }
  if (n->b) Stmt(n->b);
  PatchList(ends, Here());
}

// Jumps out of the innermost try blocks up to `tryLevel`: an except block is left with POPTRY,
// a finally block runs first (its table continues the jump afterwards).
void CodeGen::JumpOut(int kind, size_t loop, size_t tryLevel, const Node* at) {
  size_t boundary = kind == 2 ? 0 : fs_->loops[loop].tryDepth;
  size_t level = tryLevel;
  while (level > boundary) {
    TryCtx& t = fs_->tries[level - 1];
    Emit(OP_POPTRY);
    if (t.isFinally) {
      int code = static_cast<int>(t.exits.size()) + 2;  // 0 and 1 are taken: 2, 3, ...
      Emit(OP_LOADI, t.pending, code);
      t.exits.push_back(PendingExit{kind, loop, Emit(OP_JMP)});
      return;
    }
    --level;
  }
  (void)at;
  int j = Emit(OP_JMP);
  if (kind == 0) {
    fs_->loops[loop].breaks.push_back(j);
  } else if (kind == 1) {
    fs_->loops[loop].continues.push_back(j);
  } else {
    fs_->exitJumps.push_back(j);
  }
}

void CodeGen::ExitStmt(const Node* n) {
  if (n->a) {
    if (!fs_->routine || fs_->resultSlot < 0) Error(n, "Too many actual parameters", "Exit");
    const Type* rt = fs_->routine->result;
    if (rt->IsComposite()) {
      Loc loc;
      loc.kind = Loc::Local;
      loc.type = rt;
      loc.reg = fs_->resultSlot;
      CopyComposite(loc, n->a, n);
    } else {
      ExprInto(n->a, fs_->resultSlot, rt);
    }
  }
  JumpOut(2, 0, fs_->tries.size(), n);
}

void CodeGen::TryExcept(const Node* n) {
  int tryAt = Emit(OP_TRYX, 0, fs_->top);
  fs_->tries.push_back(TryCtx{false, -1, fs_->loops.size(), {}});
  Stmt(n->a);
  fs_->tries.pop_back();
  Emit(OP_POPTRY);
  int skip = Emit(OP_JMP);
  PatchTo(tryAt, Here());
  Stmt(n->b);
  PatchTo(skip, Here());
}

void CodeGen::TryFinally(const Node* n) {
  int pending = AllocRun({0, 0, 0, 1});
  int tryAt = Emit(OP_TRYF, 0, pending, fs_->top);
  fs_->tries.push_back(TryCtx{true, pending, fs_->loops.size(), {}});
  Stmt(n->a);
  TryCtx ctx = std::move(fs_->tries.back());
  fs_->tries.pop_back();
  Emit(OP_POPTRY);
  Emit(OP_LOADI, pending, 0);
  int handler = Here();
  PatchTo(tryAt, handler);
  for (const PendingExit& e : ctx.exits) PatchTo(e.jump, handler);
  Stmt(n->b);
  // ENDFIN: state 0 falls through to the JMP past the stubs, 1 re-raises, k jumps to table
  // entry k, whose stub continues the jump out through the enclosing try blocks.
  int tableSize = 2 + static_cast<int>(ctx.exits.size());
  Emit(OP_ENDFIN, pending, tableSize);
  int normal = Emit(OP_JMP);
  std::vector<int> table;
  for (size_t i = 0; i < ctx.exits.size(); ++i) table.push_back(Emit(OP_JMP));
  for (size_t i = 0; i < ctx.exits.size(); ++i) {
    PatchTo(table[i], Here());
    JumpOut(ctx.exits[i].kind, ctx.exits[i].loop, fs_->tries.size(), n);
  }
  PatchTo(normal, Here());
}

// ---------------------------------------------------------------------------------------------
// expressions: helpers

const Type* CodeGen::TypeOfNative(TScriptType t) const {
  switch (t) {
    case TScriptType::Integer: return types_.tInteger;
    case TScriptType::Cardinal: return types_.tCardinal;
    case TScriptType::Word: return types_.tWord;
    case TScriptType::Byte: return types_.tByte;
    case TScriptType::ShortInt: return types_.tShortInt;
    case TScriptType::SmallInt: return types_.tSmallInt;
    case TScriptType::Int64: return types_.tInt64;
    case TScriptType::Single: return types_.tSingle;
    case TScriptType::Double: return types_.tDouble;
    case TScriptType::Boolean: return types_.tBoolean;
    case TScriptType::Char: return types_.tChar;
    case TScriptType::String: return types_.tString;
    case TScriptType::Void: break;
  }
  return types_.tVoid;
}

Val CodeGen::ConstInteger(int64_t v) const {
  Val r;
  r.isConst = true;
  r.k.i = v;
  r.type = FitsImm(v) ? types_.tInteger : types_.tInt64;
  return r;
}

int CodeGen::Dest(const Type* t, int target, const Type* targetType) {
  if (target >= 0 && targetType) {
    bool ok = false;
    if (t->kind == TypeKind::Integer && targetType->kind == TypeKind::Integer) ok = true;
    if (t->kind == targetType->kind && t->kind != TypeKind::Integer && !t->IsComposite() &&
        t->kind != TypeKind::DynArray) {
      ok = true;
    }
    if (t->kind == TypeKind::DynArray && SameType(t, targetType)) ok = true;
    if (ok) return target;
  }
  return AllocTemp(t);
}

int CodeGen::ToReg(const Val& v, int target) {
  if (!v.isConst) return v.reg;
  const Type* t = v.type;
  int r = target >= 0 ? target : AllocTemp(t->kind == TypeKind::Nil ? types_.tVariant : t);
  switch (t->kind) {
    case TypeKind::Integer:
    case TypeKind::Boolean:
    case TypeKind::Char:
      if (FitsImm(v.k.i)) {
        Emit(OP_LOADI, r, static_cast<int32_t>(v.k.i));
      } else {
        prog_.ints.push_back(v.k.i);
        Emit(OP_LOADK, r, static_cast<int32_t>(prog_.ints.size() - 1));
      }
      break;
    case TypeKind::Float:
      prog_.floats.push_back(v.k.f);
      Emit(OP_LOADF, r, static_cast<int32_t>(prog_.floats.size() - 1));
      break;
    case TypeKind::String: {
      if (v.k.s.empty()) {
        Emit(OP_CLEAR, r);
        break;
      }
      auto it = stringConsts_.find(v.k.s);
      int index;
      if (it == stringConsts_.end()) {
        prog_.strings.push_back(v.k.s);
        index = static_cast<int>(prog_.strings.size() - 1);
        stringConsts_[v.k.s] = index;
      } else {
        index = it->second;
      }
      Emit(OP_LOADS, r, index);
      break;
    }
    case TypeKind::Nil: Emit(OP_CLEAR, r); break;
    default: Error(nullptr, "Constant expected");
  }
  return r;
}

// Converts a value to a type, or fails with "Incompatible types".
Val CodeGen::Convert(Val v, const Type* to, const Node* at) {
  const Type* from = v.type;
  if (SameType(from, to) && !(to->kind == TypeKind::Float && to->single != from->single)) {
    v.type = to;
    return v;
  }
  switch (to->kind) {
    case TypeKind::Integer:
      if (from->kind == TypeKind::Integer) {
        if (v.isConst) {
          v.k.i = WrapInt(v.k.i, to->ik);
          v.type = to;
          return v;
        }
        bool needWrap = to->MinValue() > from->MinValue() || to->MaxValue() < from->MaxValue();
        if (!needWrap) {
          v.type = to;
          return v;
        }
        static const Opcode ops[] = {OP_CVT_S8, OP_CVT_U8, OP_CVT_S16, OP_CVT_U16, OP_CVT_S32, OP_CVT_U32, OP_NOP};
        int r = AllocTemp(to);
        Emit(ops[static_cast<int>(to->ik)], r, v.reg);
        Val out;
        out.type = to;
        out.reg = r;
        return out;
      }
      if (from->kind == TypeKind::Variant) {
        int r = AllocTemp(to);
        Emit(OP_FROMVAR, r, v.reg, SK_INT);
        Val out;
        out.type = types_.tInt64;
        out.reg = r;
        return Convert(out, to, at);
      }
      Incompatible(at, to, from);
    case TypeKind::Float:
      if (from->kind == TypeKind::Integer || from->kind == TypeKind::Float) {
        if (v.isConst) {
          double f = from->kind == TypeKind::Integer ? static_cast<double>(v.k.i) : v.k.f;
          if (to->single) f = static_cast<double>(static_cast<float>(f));
          v.k.f = f;
          v.type = to;
          return v;
        }
        int r = AllocTemp(to);
        if (from->kind == TypeKind::Integer) {
          Emit(OP_I2F, r, v.reg);
          if (to->single) Emit(OP_F2S, r, r);
        } else {
          Emit(to->single ? OP_F2S : OP_MOV, r, v.reg);
        }
        Val out;
        out.type = to;
        out.reg = r;
        return out;
      }
      if (from->kind == TypeKind::Variant) {
        int r = AllocTemp(to);
        Emit(OP_FROMVAR, r, v.reg, to->single ? SK_SINGLE : SK_FLOAT);
        Val out;
        out.type = to;
        out.reg = r;
        return out;
      }
      Incompatible(at, to, from);
    case TypeKind::Boolean:
    case TypeKind::Char:
      if (from->kind == TypeKind::Variant) {
        int r = AllocTemp(to);
        Emit(OP_FROMVAR, r, v.reg, to->kind == TypeKind::Boolean ? SK_BOOL : SK_CHAR);
        Val out;
        out.type = to;
        out.reg = r;
        return out;
      }
      Incompatible(at, to, from);
    case TypeKind::String:
      if (from->kind == TypeKind::Char) {
        if (v.isConst) {
          v.k.s = std::string(1, static_cast<char>(v.k.i));
          v.type = to;
          return v;
        }
        int r = AllocTemp(to);
        Emit(OP_CHRSTR, r, v.reg);
        Val out;
        out.type = to;
        out.reg = r;
        return out;
      }
      if (from->kind == TypeKind::Variant) {
        int r = AllocTemp(to);
        Emit(OP_FROMVARS, r, v.reg);
        Val out;
        out.type = to;
        out.reg = r;
        return out;
      }
      Incompatible(at, to, from);
    case TypeKind::Variant: {
      int code = 0;
      if (from->kind == TypeKind::String) {
        int src = ToReg(v);
        int r = AllocTemp(to);
        Emit(OP_TOVARS, r, src);
        Val out;
        out.type = to;
        out.reg = r;
        return out;
      }
      switch (from->kind) {
        case TypeKind::Integer:
          switch (from->ik) {
            case IntKind::S8: code = varShortInt; break;
            case IntKind::U8: code = varByte; break;
            case IntKind::S16: code = varSmallint; break;
            case IntKind::U16: code = varWord; break;
            case IntKind::S32: code = varInteger; break;
            case IntKind::U32: code = varLongWord; break;
            default: code = varInt64; break;
          }
          break;
        case TypeKind::Float: code = from->single ? varSingle : varDouble; break;
        case TypeKind::Boolean: code = varBoolean; break;
        case TypeKind::Char: code = varChar; break;
        default: Incompatible(at, to, from);
      }
      int src = ToReg(v);
      int r = AllocTemp(to);
      Emit(OP_TOVAR, r, src, code);
      Val out;
      out.type = to;
      out.reg = r;
      return out;
    }
    case TypeKind::DynArray:
      if (from->kind == TypeKind::Nil) {
        v.type = to;
        return v;
      }
      Incompatible(at, to, from);
    default: Incompatible(at, to, from);
  }
}

// Stores a value into a frame register of the given type (converting it).
void CodeGen::StoreVal(Val v, int dst, const Type* dstType, const Node* at) {
  v = Convert(v, dstType, at);
  if (v.isConst) {
    if (dstType->kind == TypeKind::DynArray) {
      Emit(OP_CLEAR, dst);
      return;
    }
    ToReg(v, dst);
    return;
  }
  if (v.reg == dst) return;
  Emit(dstType->IsManaged() ? OP_MOVM : OP_MOV, dst, v.reg);
}

void CodeGen::ExprInto(const Node* n, int dst, const Type* dstType) {
  Mark m = TempMark();
  Val v = Expr(n, dst, dstType);
  StoreVal(v, dst, dstType, n);
  TempRelease(m);
}

// ---------------------------------------------------------------------------------------------
// expressions

Val CodeGen::Expr(const Node* n, int target, const Type* targetType) {
  switch (n->kind) {
    case NK::Int: return ConstInteger(n->ival);
    case NK::Float: {
      Val v;
      v.isConst = true;
      v.type = types_.tDouble;
      v.k.f = n->fval;
      return v;
    }
    case NK::Str: {
      Val v;
      v.isConst = true;
      if (n->text.size() == 1) {
        v.type = types_.tChar;
        v.k.i = static_cast<unsigned char>(n->text[0]);
        v.k.s = n->text;
      } else {
        v.type = types_.tString;
        v.k.s = n->text;
      }
      return v;
    }
    case NK::Nil: {
      Val v;
      v.isConst = true;
      v.type = types_.tNil;
      return v;
    }
    case NK::Name: return NameExpr(n, target, targetType);
    case NK::Call: return CallExpr(n, target, targetType);
    case NK::Unary: return Unary(n, target, targetType);
    case NK::Binary: return Binary(n, target, targetType);
    case NK::Index: {
      const Type* bt = StaticType(n->a);
      if (bt && (bt->kind == TypeKind::String || bt->kind == TypeKind::Char)) {
        Val s = Convert(Expr(n->a), types_.tString, n->a);
        int sreg = ToReg(s);
        Val idx = Expr(n->b);
        if (idx.type->kind != TypeKind::Integer) Error(n->b, "Ordinal type required");
        int ireg = ToReg(idx);
        SetPos(n);
        int r = Dest(types_.tChar, target, targetType);
        Emit(OP_SCHAR, r, sreg, ireg);
        Val out;
        out.type = types_.tChar;
        out.reg = r;
        return out;
      }
      Loc loc = LValue(n);
      return ReadLoc(loc, target, targetType);
    }
    case NK::Field: {
      Loc loc = LValue(n);
      return ReadLoc(loc, target, targetType);
    }
    default: break;
  }
  Error(n, "Expression expected");
}

Val CodeGen::NameExpr(const Node* n, int target, const Type* targetType) {
  const Symbol* sym = Lookup(n->upper);
  if (sym) {
    switch (sym->kind) {
      case SymKind::Const: {
        Val v;
        v.isConst = true;
        v.type = sym->type;
        v.k = sym->value;
        return v;
      }
      case SymKind::Var: {
        Loc loc = LValue(n);
        return ReadLoc(loc, target, targetType);
      }
      case SymKind::Routine: return CallRoutine(sym->routine, {}, n, target, targetType);
      case SymKind::TypeName: Error(n, "Expression expected", n->text);
    }
  }
  Val out;
  if (Intrinsic(n->upper, {}, n, target, targetType, out)) return out;
  int bi = FindBuiltin(n->upper);
  if (bi >= 0) return CallBuiltin(bi, {}, n, target, targetType);
  Error(n, "Unknown identifier", n->text);
}

Val CodeGen::CallExpr(const Node* n, int target, const Type* targetType) {
  const Node* callee = n->a;
  if (callee->kind != NK::Name) Error(n, "Routine name expected");
  SetPos(n);
  const Symbol* sym = Lookup(callee->upper);
  if (sym) {
    if (sym->kind == SymKind::Routine) return CallRoutine(sym->routine, n->list, callee, target, targetType);
    if (sym->kind == SymKind::TypeName) {
      Val out;
      if (TypeCast(sym->type, n->list, callee, out)) return out;
    }
    Error(callee, "Routine name expected", callee->text);
  }
  if (const Type* t = types_.Builtin(callee->upper)) {
    Val out;
    if (TypeCast(t, n->list, callee, out)) return out;
    Error(callee, "Invalid type cast", callee->text);
  }
  Val out;
  if (Intrinsic(callee->upper, n->list, callee, target, targetType, out)) return out;
  int bi = FindBuiltin(callee->upper);
  if (bi >= 0) return CallBuiltin(bi, n->list, callee, target, targetType);
  Error(callee, "Unknown identifier", callee->text);
}

bool CodeGen::TypeCast(const Type* t, const std::vector<Node*>& args, const Node* at, Val& out) {
  if (args.size() != 1) Error(at, "Invalid type cast", at->text);
  Val v = Expr(args[0]);
  const Type* from = v.type;
  if (t->IsOrdinal() && from->IsOrdinal()) {
    // Ordinal casts keep the value and wrap it to the new type.
    Val asInt = v;
    asInt.type = from->kind == TypeKind::Integer ? from : types_.tInteger;
    if (t->kind == TypeKind::Integer) {
      out = Convert(asInt, t, at);
      return true;
    }
    Val w = Convert(asInt, types_.tByte, at);
    if (t->kind == TypeKind::Boolean && !w.isConst) {
      int zero = AllocTemp(types_.tInteger);
      Emit(OP_LOADI, zero, 0);
      int r = AllocTemp(t);
      Emit(OP_NE, r, w.reg, zero);
      w.reg = r;
    } else if (t->kind == TypeKind::Boolean) {
      w.k.i = w.k.i != 0;
    }
    w.type = t;
    out = w;
    return true;
  }
  if (t->kind == TypeKind::Float && from->IsNumeric()) {
    out = Convert(v, t, at);
    return true;
  }
  if (t->kind == TypeKind::String && (from->kind == TypeKind::String || from->kind == TypeKind::Char)) {
    out = Convert(v, t, at);
    return true;
  }
  if (t->kind == TypeKind::Variant || from->kind == TypeKind::Variant) {
    out = Convert(v, t, at);
    return true;
  }
  Error(at, "Invalid type cast", at->text);
}

Val CodeGen::Unary(const Node* n, int target, const Type* targetType) {
  Val v = Expr(n->a);
  const Type* t = v.type;
  SetPos(n);
  if (n->op == TK_PLUS) {
    if (!t->IsNumeric()) Error(n, "Operator not applicable to this operand type");
    return v;
  }
  if (n->op == TK_MINUS) {
    if (t->kind == TypeKind::Float) {
      if (v.isConst) {
        v.k.f = -v.k.f;
        return v;
      }
      int r = Dest(t, target, targetType);
      Emit(OP_NEG_F, r, v.reg);
      Val out;
      out.type = types_.tDouble;
      out.reg = r;
      return out;
    }
    if (t->kind != TypeKind::Integer) Error(n, "Operator not applicable to this operand type");
    const Type* rt = t->ik == IntKind::S64 || t->ik == IntKind::U32 ? types_.tInt64 : types_.tInteger;
    if (v.isConst) {
      Val out = v;
      out.type = rt;
      out.k.i = WrapInt(static_cast<int64_t>(0ULL - static_cast<uint64_t>(v.k.i)), rt->ik);
      if (n->a->kind == NK::Int && !FitsImm(v.k.i) && FitsImm(out.k.i)) out.type = types_.tInteger;
      if (n->a->kind == NK::Int && FitsImm(out.k.i)) out.type = types_.tInteger;
      return out;
    }
    int r = Dest(rt, target, targetType);
    Emit(rt->ik == IntKind::S64 ? OP_NEG_L : OP_NEG_I, r, v.reg);
    Val out;
    out.type = rt;
    out.reg = r;
    return out;
  }
  // not
  if (t->kind == TypeKind::Boolean) {
    if (v.isConst) {
      v.k.i = !v.k.i;
      return v;
    }
    int r = Dest(t, target, targetType);
    Emit(OP_NOTB, r, v.reg);
    Val out;
    out.type = t;
    out.reg = r;
    return out;
  }
  if (t->kind == TypeKind::Integer) {
    const Type* rt = t->ik == IntKind::S64 ? types_.tInt64 : t->ik == IntKind::U32 ? types_.tCardinal : types_.tInteger;
    if (v.isConst) {
      v.k.i = WrapInt(~v.k.i, rt->ik);
      v.type = rt;
      return v;
    }
    int r = Dest(rt, target, targetType);
    Emit(rt->ik == IntKind::S64 ? OP_NOT_L : rt->ik == IntKind::U32 ? OP_NOT_U : OP_NOT_I, r, v.reg);
    Val out;
    out.type = rt;
    out.reg = r;
    return out;
  }
  Error(n, "Operator not applicable to this operand type");
}

Val CodeGen::FoldBinary(TokenKind op, const Val& a, const Val& b, const Type* rt, const Node* n) {
  Val out;
  out.isConst = true;
  out.type = rt;
  if (rt->kind == TypeKind::Float) {
    double x = a.type->kind == TypeKind::Float ? a.k.f : static_cast<double>(a.k.i);
    double y = b.type->kind == TypeKind::Float ? b.k.f : static_cast<double>(b.k.i);
    switch (op) {
      case TK_PLUS: out.k.f = x + y; break;
      case TK_MINUS: out.k.f = x - y; break;
      case TK_STAR: out.k.f = x * y; break;
      case TK_SLASH:
        if (y == 0) Error(n, "Division by zero");
        out.k.f = x / y;
        break;
      default: Error(n, "Operator not applicable to this operand type");
    }
    return out;
  }
  if (rt->kind == TypeKind::String) {
    out.k.s = a.k.s + b.k.s;
    return out;
  }
  uint64_t x = static_cast<uint64_t>(a.k.i), y = static_cast<uint64_t>(b.k.i);
  int64_t r = 0;
  bool is64 = rt->ik == IntKind::S64;
  switch (op) {
    case TK_PLUS: r = static_cast<int64_t>(x + y); break;
    case TK_MINUS: r = static_cast<int64_t>(x - y); break;
    case TK_STAR: r = static_cast<int64_t>(x * y); break;
    case TK_DIV:
    case TK_MOD: {
      if (b.k.i == 0) Error(n, "Division by zero");
      if (rt->ik == IntKind::U32) {
        r = op == TK_DIV ? static_cast<int64_t>(x / y) : static_cast<int64_t>(x % y);
      } else if (b.k.i == -1) {
        r = op == TK_DIV ? static_cast<int64_t>(0 - x) : 0;
      } else {
        r = op == TK_DIV ? a.k.i / b.k.i : a.k.i % b.k.i;
      }
      break;
    }
    case TK_AND: r = a.k.i & b.k.i; break;
    case TK_OR: r = a.k.i | b.k.i; break;
    case TK_XOR: r = a.k.i ^ b.k.i; break;
    case TK_SHL: r = is64 ? static_cast<int64_t>(x << (y & 63)) : static_cast<int64_t>(static_cast<uint32_t>(x) << (y & 31)); break;
    case TK_SHR: r = is64 ? static_cast<int64_t>(x >> (y & 63)) : static_cast<int64_t>(static_cast<uint32_t>(x) >> (y & 31)); break;
    default: Error(n, "Operator not applicable to this operand type");
  }
  out.k.i = rt->kind == TypeKind::Integer ? WrapInt(r, rt->ik) : r;
  return out;
}

Val CodeGen::Binary(const Node* n, int target, const Type* targetType) {
  TokenKind op = n->op;
  switch (op) {
    case TK_EQ: case TK_NE: case TK_LT: case TK_LE: case TK_GT: case TK_GE:
      return Compare(n, target, targetType);
    default: break;
  }
  if ((op == TK_AND || op == TK_OR) && IsBoolExpr(n->a)) {
    // Short-circuit evaluation into a boolean register.
    Val a = Expr(n->a);
    if (a.type->kind != TypeKind::Boolean) Error(n, "Incompatible types");
    if (a.isConst) {
      bool decided = op == TK_AND ? a.k.i == 0 : a.k.i != 0;
      if (decided) return a;
      Val b = Convert(Expr(n->b, target, targetType), types_.tBoolean, n->b);
      return b;
    }
    int r = Dest(types_.tBoolean, target, targetType);
    if (r != a.reg) Emit(OP_MOV, r, a.reg);
    int skip = Emit(op == TK_AND ? OP_JF : OP_JT, r, 0);
    Mark m = TempMark();
    Val b = Convert(Expr(n->b, r, types_.tBoolean), types_.tBoolean, n->b);
    if (b.isConst) {
      Emit(OP_LOADI, r, static_cast<int32_t>(b.k.i));
    } else if (b.reg != r) {
      Emit(OP_MOV, r, b.reg);
    }
    TempRelease(m);
    PatchTo(skip, Here());
    Val out;
    out.type = types_.tBoolean;
    out.reg = r;
    return out;
  }
  Val a = Expr(n->a);
  Val b = Expr(n->b);
  SetPos(n);
  const Type* ta = a.type;
  const Type* tb = b.type;
  auto bad = [&]() -> Val { Error(n, "Operator not applicable to this operand type"); };
  bool aStr = ta->kind == TypeKind::String || ta->kind == TypeKind::Char;
  bool bStr = tb->kind == TypeKind::String || tb->kind == TypeKind::Char;
  if (op == TK_PLUS && aStr && bStr) {
    if (a.isConst && b.isConst) {
      Val out;
      out.isConst = true;
      out.type = types_.tString;
      out.k.s = (ta->kind == TypeKind::Char ? std::string(1, static_cast<char>(a.k.i)) : a.k.s) +
                (tb->kind == TypeKind::Char ? std::string(1, static_cast<char>(b.k.i)) : b.k.s);
      return out;
    }
    Val sa = Convert(a, types_.tString, n->a);
    int ra = ToReg(sa);
    int r = Dest(types_.tString, target, targetType);
    if (tb->kind == TypeKind::Char) {
      int rb = ToReg(b);
      Emit(OP_CONCATC, r, ra, rb);
    } else {
      int rb = ToReg(b);
      Emit(OP_CONCAT, r, ra, rb);
    }
    Val out;
    out.type = types_.tString;
    out.reg = r;
    return out;
  }
  if (op == TK_SLASH || ((op == TK_PLUS || op == TK_MINUS || op == TK_STAR) &&
                         (ta->kind == TypeKind::Float || tb->kind == TypeKind::Float))) {
    if (!ta->IsNumeric() || !tb->IsNumeric()) return bad();
    const Type* rt = types_.tDouble;
    if (a.isConst && b.isConst) return FoldBinary(op, a, b, rt, n);
    Val fa = Convert(a, rt, n->a), fb = Convert(b, rt, n->b);
    int ra = ToReg(fa), rb = ToReg(fb);
    int r = Dest(rt, target, targetType);
    Opcode o = op == TK_PLUS ? OP_ADD_F : op == TK_MINUS ? OP_SUB_F : op == TK_STAR ? OP_MUL_F : OP_DIV_F;
    Emit(o, r, ra, rb);
    Val out;
    out.type = rt;
    out.reg = r;
    return out;
  }
  if ((op == TK_AND || op == TK_OR || op == TK_XOR) && ta->kind == TypeKind::Boolean &&
      tb->kind == TypeKind::Boolean) {
    if (a.isConst && b.isConst) {
      Val out = a;
      out.k.i = op == TK_AND ? (a.k.i & b.k.i) : op == TK_OR ? (a.k.i | b.k.i) : (a.k.i ^ b.k.i);
      return out;
    }
    int ra = ToReg(a), rb = ToReg(b);
    int r = Dest(types_.tBoolean, target, targetType);
    Emit(op == TK_AND ? OP_AND : op == TK_OR ? OP_OR : OP_XOR, r, ra, rb);
    Val out;
    out.type = types_.tBoolean;
    out.reg = r;
    return out;
  }
  if (ta->kind != TypeKind::Integer || tb->kind != TypeKind::Integer) return bad();
  const Type* rt = IntArithType(types_, ta, tb);
  if (op == TK_SHL || op == TK_SHR) {
    rt = ta->ik == IntKind::S64 || ta->ik == IntKind::U32 ? types_.tInt64 : types_.tInteger;
  }
  if (a.isConst && b.isConst) return FoldBinary(op, a, b, rt, n);
  int w = rt->ik == IntKind::S64 ? 2 : rt->ik == IntKind::U32 ? 1 : 0;
  // Immediate forms for 32-bit signed arithmetic with a small constant on the right.
  if (w == 0 && b.isConst && FitsImm(b.k.i) &&
      (op == TK_PLUS || op == TK_MINUS || op == TK_STAR || ((op == TK_DIV || op == TK_MOD) && b.k.i != 0))) {
    int ra = ToReg(a);
    int r = Dest(rt, target, targetType);
    Opcode o = op == TK_PLUS ? OP_ADDK_I : op == TK_MINUS ? OP_SUBK_I : op == TK_STAR ? OP_MULK_I
               : op == TK_DIV ? OP_DIVK_I : OP_MODK_I;
    Emit(o, r, ra, static_cast<int32_t>(b.k.i));
    Val out;
    out.type = rt;
    out.reg = r;
    return out;
  }
  int ra = ToReg(a), rb = ToReg(b);
  int r = Dest(rt, target, targetType);
  Opcode o;
  switch (op) {
    case TK_PLUS: o = w == 0 ? OP_ADD_I : w == 1 ? OP_ADD_U : OP_ADD_L; break;
    case TK_MINUS: o = w == 0 ? OP_SUB_I : w == 1 ? OP_SUB_U : OP_SUB_L; break;
    case TK_STAR: o = w == 0 ? OP_MUL_I : w == 1 ? OP_MUL_U : OP_MUL_L; break;
    case TK_DIV: o = w == 0 ? OP_DIV_I : w == 1 ? OP_DIV_U : OP_DIV_L; break;
    case TK_MOD: o = w == 0 ? OP_MOD_I : w == 1 ? OP_MOD_U : OP_MOD_L; break;
    case TK_AND: o = OP_AND; break;
    case TK_OR: o = OP_OR; break;
    case TK_XOR: o = OP_XOR; break;
    case TK_SHL: o = w == 0 ? OP_SHL_I : w == 1 ? OP_SHL_U : OP_SHL_L; break;
    case TK_SHR: o = w == 0 ? OP_SHR_I : w == 1 ? OP_SHR_U : OP_SHR_L; break;
    default: return bad();
  }
  Emit(o, r, ra, rb);
  Val out;
  out.type = rt;
  out.reg = r;
  return out;
}

// Comparison into a boolean register.
Val CodeGen::Compare(const Node* n, int target, const Type* targetType) {
  std::vector<int> jumps;
  // Constant comparisons fold through Cond's constant path.
  Val a = Expr(n->a);
  Val b = Expr(n->b);
  SetPos(n);
  const Type* ta = a.type;
  const Type* tb = b.type;
  TokenKind op = n->op;
  auto result = [&](int r) {
    Val out;
    out.type = types_.tBoolean;
    out.reg = r;
    return out;
  };
  auto constBool = [&](bool v) {
    Val out;
    out.isConst = true;
    out.type = types_.tBoolean;
    out.k.i = v;
    return out;
  };
  auto cmpResult = [&](int c) {
    switch (op) {
      case TK_EQ: return c == 0;
      case TK_NE: return c != 0;
      case TK_LT: return c < 0;
      case TK_LE: return c <= 0;
      case TK_GT: return c > 0;
      default: return c >= 0;
    }
  };
  bool aStr = ta->kind == TypeKind::String || ta->kind == TypeKind::Char;
  bool bStr = tb->kind == TypeKind::String || tb->kind == TypeKind::Char;
  bool ordinalPair = (ta->kind == TypeKind::Integer && tb->kind == TypeKind::Integer) ||
                     (ta->kind == TypeKind::Boolean && tb->kind == TypeKind::Boolean) ||
                     (ta->kind == TypeKind::Char && tb->kind == TypeKind::Char);
  if (ordinalPair) {
    if (a.isConst && b.isConst) return constBool(cmpResult(a.k.i < b.k.i ? -1 : a.k.i > b.k.i ? 1 : 0));
    int ra = ToReg(a), rb = ToReg(b);
    int r = Dest(types_.tBoolean, target, targetType);
    switch (op) {
      case TK_EQ: Emit(OP_EQ, r, ra, rb); break;
      case TK_NE: Emit(OP_NE, r, ra, rb); break;
      case TK_LT: Emit(OP_LT, r, ra, rb); break;
      case TK_LE: Emit(OP_LE, r, ra, rb); break;
      case TK_GT: Emit(OP_LT, r, rb, ra); break;
      default: Emit(OP_LE, r, rb, ra); break;
    }
    return result(r);
  }
  if (ta->IsNumeric() && tb->IsNumeric()) {
    if (a.isConst && b.isConst) {
      double x = ta->kind == TypeKind::Float ? a.k.f : static_cast<double>(a.k.i);
      double y = tb->kind == TypeKind::Float ? b.k.f : static_cast<double>(b.k.i);
      if (op == TK_NE) return constBool(x != y);
      return constBool(cmpResult(x < y ? -1 : x > y ? 1 : 0) && !(std::isnan(x) || std::isnan(y)));
    }
    Val fa = Convert(a, types_.tDouble, n->a), fb = Convert(b, types_.tDouble, n->b);
    int ra = ToReg(fa), rb = ToReg(fb);
    int r = Dest(types_.tBoolean, target, targetType);
    switch (op) {
      case TK_EQ: Emit(OP_EQ_F, r, ra, rb); break;
      case TK_NE: Emit(OP_NE_F, r, ra, rb); break;
      case TK_LT: Emit(OP_LT_F, r, ra, rb); break;
      case TK_LE: Emit(OP_LE_F, r, ra, rb); break;
      case TK_GT: Emit(OP_LT_F, r, rb, ra); break;
      default: Emit(OP_LE_F, r, rb, ra); break;
    }
    return result(r);
  }
  if (aStr && bStr) {
    if (a.isConst && b.isConst) {
      std::string x = ta->kind == TypeKind::Char ? std::string(1, static_cast<char>(a.k.i)) : a.k.s;
      std::string y = tb->kind == TypeKind::Char ? std::string(1, static_cast<char>(b.k.i)) : b.k.s;
      int c = x.compare(y);
      return constBool(cmpResult(c < 0 ? -1 : c > 0 ? 1 : 0));
    }
    Val sa = Convert(a, types_.tString, n->a), sb = Convert(b, types_.tString, n->b);
    int ra = ToReg(sa), rb = ToReg(sb);
    int c = AllocTemp(types_.tInteger);
    Emit(OP_CMP_S, c, ra, rb);
    int zero = AllocTemp(types_.tInteger);
    Emit(OP_LOADI, zero, 0);
    int r = Dest(types_.tBoolean, target, targetType);
    switch (op) {
      case TK_EQ: Emit(OP_EQ, r, c, zero); break;
      case TK_NE: Emit(OP_NE, r, c, zero); break;
      case TK_LT: Emit(OP_LT, r, c, zero); break;
      case TK_LE: Emit(OP_LE, r, c, zero); break;
      case TK_GT: Emit(OP_LT, r, zero, c); break;
      default: Emit(OP_LE, r, zero, c); break;
    }
    return result(r);
  }
  if ((op == TK_EQ || op == TK_NE) &&
      ((ta->kind == TypeKind::DynArray && (tb->kind == TypeKind::Nil || SameType(ta, tb))) ||
       (tb->kind == TypeKind::DynArray && ta->kind == TypeKind::Nil))) {
    // Dynamic arrays compare by identity; nil is the empty array.
    Val x = ta->kind == TypeKind::Nil ? b : a;
    Val y = ta->kind == TypeKind::Nil ? a : b;
    int rx = ToReg(x);
    int lx = AllocTemp(types_.tInteger);
    if (y.isConst) {
      Emit(OP_ALEN, lx, rx);
      int zero = AllocTemp(types_.tInteger);
      Emit(OP_LOADI, zero, 0);
      int r = Dest(types_.tBoolean, target, targetType);
      Emit(op == TK_EQ ? OP_EQ : OP_NE, r, lx, zero);
      return result(r);
    }
    Error(n, "Operator not applicable to this operand type");
  }
  Error(n, "Incompatible types: '" + ta->name + "' and '" + tb->name + "'");
}

bool CodeGen::IsBoolExpr(const Node* n) const {
  const Type* t = StaticType(n);
  return t && t->kind == TypeKind::Boolean;
}

// The type of an expression without compiling it, where it can be told cheaply; null otherwise.
const Type* CodeGen::StaticType(const Node* n) const {
  switch (n->kind) {
    case NK::Int: return FitsImm(n->ival) ? types_.tInteger : types_.tInt64;
    case NK::Float: return types_.tDouble;
    case NK::Str: return n->text.size() == 1 ? types_.tChar : types_.tString;
    case NK::Binary:
      switch (n->op) {
        case TK_EQ: case TK_NE: case TK_LT: case TK_LE: case TK_GT: case TK_GE: return types_.tBoolean;
        case TK_AND: case TK_OR: case TK_XOR: {
          const Type* t = StaticType(n->a);
          return t && t->kind == TypeKind::Boolean ? t : nullptr;
        }
        default: return nullptr;
      }
    case NK::Unary:
      if (n->op == TK_NOT) {
        const Type* t = StaticType(n->a);
        return t && t->kind == TypeKind::Boolean ? t : nullptr;
      }
      return nullptr;
    case NK::Name: {
      const Symbol* s = Lookup(n->upper);
      if (s) {
        if (s->kind == SymKind::Var || s->kind == SymKind::Const) return s->type;
        if (s->kind == SymKind::Routine) return s->routine->result;
        return nullptr;
      }
      if (n->upper == "TRUE" || n->upper == "FALSE") return types_.tBoolean;
      return nullptr;
    }
    case NK::Call: {
      if (n->a->kind != NK::Name) return nullptr;
      const Symbol* s = Lookup(n->a->upper);
      if (s && s->kind == SymKind::Routine) return s->routine->result;
      if (s && s->kind == SymKind::TypeName) return s->type;
      if (s) return nullptr;
      if (const Type* t = types_.Builtin(n->a->upper)) return t;
      const std::string& u = n->a->upper;
      if (u == "ODD" || u == "ASSIGNED" || u == "VARISNULL" || u == "VARISEMPTY") return types_.tBoolean;
      if (u == "CHR") return types_.tChar;
      int bi = FindBuiltin(u);
      if (bi >= 0) {
        switch (kBuiltins[bi].result) {
          case 'S': return types_.tString;
          case 'C': return types_.tChar;
          case 'I': return types_.tInteger;
          case 'B': return types_.tBoolean;
          default: return nullptr;
        }
      }
      return nullptr;
    }
    case NK::Index: {
      const Type* t = StaticType(n->a);
      if (!t) return nullptr;
      if (t->kind == TypeKind::String) return types_.tChar;
      if (t->kind == TypeKind::StaticArray || t->kind == TypeKind::DynArray) return t->elem;
      return nullptr;
    }
    case NK::Field: {
      const Type* t = StaticType(n->a);
      if (!t || t->kind != TypeKind::Record) return nullptr;
      for (const Field& f : t->fields) {
        if (f.upper == n->upper) return f.type;
      }
      return nullptr;
    }
    default: return nullptr;
  }
}

// Emits jumps (collected in `jumps`) taken when the condition equals `jumpIf`; falls through
// otherwise.
void CodeGen::Cond(const Node* n, bool jumpIf, std::vector<int>& jumps) {
  SetPos(n);
  if (n->kind == NK::Unary && n->op == TK_NOT && IsBoolExpr(n->a)) {
    Cond(n->a, !jumpIf, jumps);
    return;
  }
  if (n->kind == NK::Binary && (n->op == TK_AND || n->op == TK_OR) && IsBoolExpr(n->a)) {
    bool isAnd = n->op == TK_AND;
    if (isAnd != jumpIf) {
      // and/false, or/true: either side decides.
      Cond(n->a, jumpIf, jumps);
      Cond(n->b, jumpIf, jumps);
    } else {
      std::vector<int> fallThrough;
      Cond(n->a, !jumpIf, fallThrough);
      Cond(n->b, jumpIf, jumps);
      PatchList(fallThrough, Here());
    }
    return;
  }
  Mark m = TempMark();
  if (n->kind == NK::Binary && n->op >= TK_EQ && n->op <= TK_GE) {
    const Type* sa = StaticType(n->a);
    const Type* sb = StaticType(n->b);
    bool ints = sa && sb &&
                ((sa->kind == TypeKind::Integer && sb->kind == TypeKind::Integer) ||
                 (sa->kind == TypeKind::Char && sb->kind == TypeKind::Char) ||
                 (sa->kind == TypeKind::Boolean && sb->kind == TypeKind::Boolean));
    if (ints) {
      Val a = Expr(n->a);
      Val b = Expr(n->b);
      SetPos(n);
      if (a.type->kind == b.type->kind && a.type->IsOrdinal() && !(a.isConst && b.isConst)) {
        TokenKind op = n->op;
        if (!jumpIf) {
          switch (op) {
            case TK_EQ: op = TK_NE; break;
            case TK_NE: op = TK_EQ; break;
            case TK_LT: op = TK_GE; break;
            case TK_LE: op = TK_GT; break;
            case TK_GT: op = TK_LE; break;
            default: op = TK_LT; break;
          }
        }
        if (a.isConst && FitsImm(a.k.i)) {
          // k op x  ==  x op' k
          std::swap(a, b);
          switch (op) {
            case TK_LT: op = TK_GT; break;
            case TK_LE: op = TK_GE; break;
            case TK_GT: op = TK_LT; break;
            case TK_GE: op = TK_LE; break;
            default: break;
          }
        }
        if (b.isConst && FitsImm(b.k.i)) {
          int ra = ToReg(a);
          Opcode o = op == TK_EQ ? OP_JEQK : op == TK_NE ? OP_JNEK : op == TK_LT ? OP_JLTK
                     : op == TK_LE ? OP_JLEK : op == TK_GT ? OP_JGTK : OP_JGEK;
          jumps.push_back(Emit(o, ra, static_cast<int32_t>(b.k.i), 0));
        } else {
          int ra = ToReg(a), rb = ToReg(b);
          Opcode o = op == TK_EQ ? OP_JEQ : op == TK_NE ? OP_JNE : op == TK_LT ? OP_JLT
                     : op == TK_LE ? OP_JLE : op == TK_GT ? OP_JGT : OP_JGE;
          jumps.push_back(Emit(o, ra, rb, 0));
        }
        TempRelease(m);
        return;
      }
      // Constants on both sides: fall back to the general path below with a fresh evaluation.
      TempRelease(m);
    }
  }
  Val v = Expr(n);
  if (v.type->kind != TypeKind::Boolean) Error(n, "Type of expression must be BOOLEAN");
  if (v.isConst) {
    if ((v.k.i != 0) == jumpIf) jumps.push_back(Emit(OP_JMP));
  } else {
    jumps.push_back(Emit(jumpIf ? OP_JT : OP_JF, v.reg, 0));
  }
  TempRelease(m);
}

// ---------------------------------------------------------------------------------------------
// variables

Loc CodeGen::LValue(const Node* n) {
  switch (n->kind) {
    case NK::Name: {
      const Symbol* sym = Lookup(n->upper);
      Loc loc;
      if (sym && sym->kind == SymKind::Routine && fs_->routine == sym->routine && fs_->resultSlot >= 0) {
        loc.kind = Loc::Local;
        loc.type = sym->routine->result;
        loc.reg = fs_->resultSlot;
        return loc;
      }
      if (!sym) Error(n, "Unknown identifier", n->text);
      if (sym->kind != SymKind::Var) Error(n, "Variable required", n->text);
      loc.type = sym->type;
      loc.readOnly = sym->readOnly;
      if (sym->byRef) {
        loc.kind = Loc::Ref;
        loc.reg = sym->slot;
      } else if (sym->global && fs_ != &mainState_) {
        loc.kind = Loc::Global;
        loc.reg = sym->slot;
      } else {
        loc.kind = Loc::Local;
        loc.reg = sym->slot;
      }
      return loc;
    }
    case NK::Field: {
      Loc base = LValue(n->a);
      if (base.type->kind != TypeKind::Record) Error(n, "Record type required", n->text);
      const Field* field = nullptr;
      for (const Field& f : base.type->fields) {
        if (f.upper == n->upper) field = &f;
      }
      if (!field) Error(n, "Unknown record field", n->text);
      Loc loc = base;
      loc.type = field->type;
      if (base.kind == Loc::Local || base.kind == Loc::Global) {
        loc.reg = base.reg + field->offset;
      } else {
        int r = AllocTemp(types_.tInteger);
        Emit(OP_REFFLD, r, base.reg, field->offset);
        loc.kind = Loc::Ref;
        loc.reg = r;
      }
      return loc;
    }
    case NK::Index: {
      const Type* bt = StaticType(n->a);
      if (bt && bt->kind == TypeKind::DynArray) {
        Val arr = Expr(n->a);
        int areg = ToReg(arr);
        Val idx = Expr(n->b);
        if (idx.type->kind != TypeKind::Integer) Error(n->b, "Ordinal type required");
        int ireg = ToReg(idx);
        SetPos(n);
        Loc loc;
        loc.type = bt->elem;
        if (bt->elem->IsComposite()) {
          int r = AllocTemp(types_.tInteger);
          Emit(OP_AREF, r, areg, ireg);
          loc.kind = Loc::Ref;
          loc.reg = r;
        } else {
          loc.kind = Loc::DynElem;
          loc.reg = areg;
          loc.idx = ireg;
        }
        return loc;
      }
      Loc base = LValue(n->a);
      if (base.type->kind != TypeKind::StaticArray) {
        if (base.type->kind == TypeKind::String) Error(n, "Variable required");
        Error(n, "Array type required");
      }
      const Type* at = base.type;
      const Type* et = at->elem;
      Val idx = Expr(n->b);
      if (!idx.type->IsOrdinal()) Error(n->b, "Ordinal type required");
      Loc loc = base;
      loc.type = et;
      SetPos(n);
      if (idx.isConst) {
        if (idx.k.i < at->lo || idx.k.i > at->hi) Error(n->b, "Constant expression violates subrange bounds");
        int off = static_cast<int>((idx.k.i - at->lo) * et->slots);
        if (base.kind == Loc::Local || base.kind == Loc::Global) {
          loc.reg = base.reg + off;
        } else {
          int r = AllocTemp(types_.tInteger);
          Emit(OP_REFFLD, r, base.reg, off);
          loc.kind = Loc::Ref;
          loc.reg = r;
        }
        return loc;
      }
      int ireg = ToReg(idx);
      int baseRef = RefOf(base);
      int r = AllocTemp(types_.tInteger);
      Emit(OP_REFIDX, r, baseRef, ireg);
      Emit(OP_EXTRA, static_cast<int32_t>(at->lo), static_cast<int32_t>(at->hi - at->lo + 1), et->slots);
      if (!FitsImm(at->lo) || !FitsImm(at->hi)) Error(n, "Array bounds out of range");
      loc.kind = Loc::Ref;
      loc.reg = r;
      return loc;
    }
    default: break;
  }
  const Type* st = StaticType(n);
  if (st && st->IsComposite()) {
    // A composite function result: its fields and elements can be read, not assigned.
    Val v = Expr(n);
    Loc loc;
    loc.kind = Loc::Ref;
    loc.type = v.type;
    loc.reg = v.reg;
    loc.readOnly = true;
    return loc;
  }
  Error(n, "Variable required");
}

Val CodeGen::ReadLoc(const Loc& loc, int target, const Type* targetType) {
  Val out;
  out.type = loc.type;
  if (loc.type->IsComposite()) {
    // Composite values are passed around by reference to their first slot.
    out.reg = RefOf(loc);
    return out;
  }
  bool managed = loc.type->IsManaged();
  switch (loc.kind) {
    case Loc::Local: out.reg = loc.reg; return out;
    case Loc::Global: {
      int r = Dest(loc.type, target, targetType);
      Emit(managed ? OP_GETGM : OP_GETG, r, loc.reg);
      out.reg = r;
      return out;
    }
    case Loc::Ref: {
      int r = Dest(loc.type, target, targetType);
      Emit(managed ? OP_LDRM : OP_LDR, r, loc.reg);
      out.reg = r;
      return out;
    }
    case Loc::DynElem: {
      int r = Dest(loc.type, target, targetType);
      Emit(managed ? OP_AGETM : OP_AGET, r, loc.reg, loc.idx);
      out.reg = r;
      return out;
    }
  }
  return out;
}

void CodeGen::StoreLoc(const Loc& loc, Val v, const Node* at) {
  v = Convert(v, loc.type, at);
  bool managed = loc.type->IsManaged();
  switch (loc.kind) {
    case Loc::Local: StoreVal(v, loc.reg, loc.type, at); return;
    case Loc::Global: Emit(managed ? OP_SETGM : OP_SETG, loc.reg, ToReg(v)); return;
    case Loc::Ref: Emit(managed ? OP_STRM : OP_STR, loc.reg, ToReg(v)); return;
    case Loc::DynElem: Emit(managed ? OP_ASETM : OP_ASET, loc.reg, loc.idx, ToReg(v)); return;
  }
}

// A register holding a reference to the location.
int CodeGen::RefOf(const Loc& loc) {
  switch (loc.kind) {
    case Loc::Local: {
      int r = AllocTemp(types_.tInteger);
      Emit(OP_REFL, r, loc.reg);
      return r;
    }
    case Loc::Global: {
      int r = AllocTemp(types_.tInteger);
      Emit(OP_REFG, r, loc.reg);
      return r;
    }
    case Loc::Ref: return loc.reg;
    case Loc::DynElem: {
      int r = AllocTemp(types_.tInteger);
      Emit(OP_AREF, r, loc.reg, loc.idx);
      return r;
    }
  }
  return 0;
}

void CodeGen::CopyComposite(const Loc& dst, const Node* src, const Node* at) {
  const Type* st = StaticType(src);
  Val v = Expr(src);
  if (!SameType(v.type, dst.type) && !(st && SameType(st, dst.type))) {
    Error(at, "Incompatible types: '" + dst.type->name + "' and '" + v.type->name + "'");
  }
  if (!v.type->IsComposite()) Error(at, "Incompatible types");
  int dref = RefOf(dst);
  Emit(OP_COPYR, dref, v.reg, LayoutOf(dst.type));
}

// ---------------------------------------------------------------------------------------------
// calls

// Evaluates one argument into the argument slot of the callee frame.
void CodeGen::ArgInto(const Node* arg, int slot, const Type* type, ParamMode mode, const Node* at) {
  Mark m = TempMark();
  if (mode == ParamMode::Var) {
    if (arg->kind != NK::Name && arg->kind != NK::Index && arg->kind != NK::Field) {
      Error(arg, "Variable required");
    }
    if (arg->kind == NK::Index) {
      const Type* bt = StaticType(arg->a);
      if (bt && bt->kind == TypeKind::String) Error(arg, "Variable required");
    }
    Loc loc = LValue(arg);
    if (loc.readOnly) Error(arg, "Variable required");
    if (!SameType(loc.type, type)) {
      Error(arg, "Types of actual and formal var parameters must be identical");
    }
    if (loc.kind == Loc::DynElem && !IsTemp(loc.reg)) {
      // Hold the array in a temporary of its own, so that the callee's reference into it stays
      // valid even if the callee resizes or replaces the array variable.
      int pin = AllocTemp(types_.tVariant);
      Emit(OP_MOVM, pin, loc.reg);
      loc.reg = pin;
    }
    // The temporaries made here (loaded arrays that keep elements alive) stay until the call's
    // own temporaries are released, after the call.
    int r = RefOf(loc);
    if (r != slot) Emit(OP_MOV, slot, r);
    (void)m;
    (void)at;
    return;
  }
  if (type->IsComposite()) {
    Val v = Expr(arg);
    if (!SameType(v.type, type)) Error(arg, "Incompatible types");
    int dref = AllocTemp(types_.tInteger);
    Emit(OP_REFL, dref, slot);
    Emit(OP_COPYR, dref, v.reg, LayoutOf(type));
    TempRelease(m);
    return;
  }
  Val v = Expr(arg, slot, type);
  StoreVal(v, slot, type, arg);
  TempRelease(m);
}

Val CodeGen::CallRoutine(RoutineInfo* r, const std::vector<Node*>& args, const Node* at, int target,
                         const Type* targetType) {
  if (args.size() != r->paramTypes.size()) {
    Error(at, args.size() > r->paramTypes.size() ? "Too many actual parameters" : "Not enough actual parameters",
          at->text);
  }
  SetPos(at);
  const Type* rt = r->result;
  int dst = -1;
  if (rt->kind != TypeKind::Void) dst = Dest(rt, rt->IsComposite() ? -1 : target, targetType);
  std::vector<uint8_t> kinds;
  for (size_t i = 0; i < r->paramTypes.size(); ++i) {
    if (r->modes[i] == ParamMode::Var) {
      kinds.push_back(0);
    } else {
      kinds.insert(kinds.end(), r->paramTypes[i]->kinds.begin(), r->paramTypes[i]->kinds.end());
    }
  }
  Mark m = TempMark();
  int base = AllocRun(kinds);
  size_t argRecord = fs_->temps.size() - 1;
  for (size_t i = 0; i < args.size(); ++i) {
    ArgInto(args[i], base + r->offsets[i], r->paramTypes[i], r->modes[i], at);
  }
  SetPos(at);
  if (r->importIndex >= 0) {
    Emit(OP_CALLN, ImportIndex(r->importIndex), base, dst);
  } else {
    Emit(OP_CALL, r->funcIndex, base, dst);
    // The VM moves managed arguments into the callee, which releases them.
    fs_->temps[argRecord].consumed = true;
  }
  TempRelease(m);
  Val out;
  out.type = rt;
  out.reg = dst;
  if (rt->IsComposite()) out.reg = RefOf(Loc{Loc::Local, rt, dst, 0, false});
  return out;
}

Val CodeGen::CallBuiltin(int index, const std::vector<Node*>& args, const Node* at, int target,
                         const Type* targetType) {
  // Overloads share a name and differ in parameter count.
  int chosen = -1;
  for (int i = index; i < kBuiltinCount && std::string(kBuiltins[i].name) == kBuiltins[index].name; ++i) {
    if (std::strlen(kBuiltins[i].params) == args.size()) chosen = i;
  }
  if (chosen < 0) {
    Error(at, args.size() > std::strlen(kBuiltins[index].params) ? "Too many actual parameters"
                                                                  : "Not enough actual parameters",
          at->text);
  }
  const Builtin& b = kBuiltins[chosen];
  SetPos(at);
  const Type* rt = types_.tVoid;
  switch (b.result) {
    case 'I': rt = types_.tInteger; break;
    case 'L': rt = types_.tInt64; break;
    case 'U': rt = types_.tCardinal; break;
    case 'F': rt = types_.tDouble; break;
    case 'B': rt = types_.tBoolean; break;
    case 'C': rt = types_.tChar; break;
    case 'S': rt = types_.tString; break;
    case 'V': rt = types_.tVariant; break;
    default: break;
  }
  int dst = rt->kind == TypeKind::Void ? -1 : Dest(rt, target, targetType);
  std::vector<uint8_t> kinds;
  for (const char* p = b.params; *p; ++p) kinds.push_back((*p == 'S' || *p == 'V') ? 1 : 0);
  Mark m = TempMark();
  int base = AllocRun(kinds);
  for (size_t i = 0; i < args.size(); ++i) {
    int slot = base + static_cast<int>(i);
    const Node* arg = args[i];
    switch (b.params[i]) {
      case 'I': {
        Mark am = TempMark();
        Val v = Expr(arg);
        if (v.type->kind != TypeKind::Integer) Error(arg, "Incompatible types: 'Integer' and '" + v.type->name + "'");
        StoreVal(v, slot, v.type, arg);
        TempRelease(am);
        break;
      }
      case 'F': ArgInto(arg, slot, types_.tDouble, ParamMode::Value, at); break;
      case 'B': ArgInto(arg, slot, types_.tBoolean, ParamMode::Value, at); break;
      case 'C': ArgInto(arg, slot, types_.tChar, ParamMode::Value, at); break;
      case 'S': ArgInto(arg, slot, types_.tString, ParamMode::Value, at); break;
      case 'V': ArgInto(arg, slot, types_.tVariant, ParamMode::Value, at); break;
      case 's': ArgInto(arg, slot, types_.tString, ParamMode::Var, at); break;
      default: Error(arg, "Invalid argument");
    }
  }
  SetPos(at);
  Emit(OP_CALLB, chosen, base, dst);
  TempRelease(m);
  Val out;
  out.type = rt;
  out.reg = dst;
  return out;
}

// Standard routines expanded inline. Returns false when `name` is not one of them.
bool CodeGen::Intrinsic(const std::string& name, const std::vector<Node*>& args, const Node* at,
                        int target, const Type* targetType, Val& out) {
  static constexpr const char* kNames[] = {
      "TRUE", "FALSE", "MAXINT", "PI", "LENGTH", "GETARRAYLENGTH", "SETLENGTH", "SETARRAYLENGTH", "HIGH",
      "LOW", "INC", "DEC", "ORD", "CHR", "SUCC", "PRED", "ODD", "ABS", "SQR", "MAX", "MIN", "SIZEOF",
      "ASSIGNED", "EXIT", "BREAK", "CONTINUE"};
  // Most names reaching here are ordinary built-ins: rule them out cheaply first.
  bool known = name.size() > 2 && name[0] == 'E' && name[1] == 'R';
  for (const char* k : kNames) {
    if (known) break;
    known = k[0] == name[0] && name == k;
  }
  if (!known) return false;
  auto argc = [&](size_t lo, size_t hi) {
    if (args.size() < lo) Error(at, "Not enough actual parameters", at->text);
    if (args.size() > hi) Error(at, "Too many actual parameters", at->text);
  };
  auto reg = [&](const Type* t, int r) {
    Val v;
    v.type = t;
    v.reg = r;
    return v;
  };
  auto constant = [&](const Type* t, int64_t i) {
    Val v;
    v.isConst = true;
    v.type = t;
    v.k.i = i;
    return v;
  };
  if (name == "TRUE" || name == "FALSE") {
    argc(0, 0);
    out = constant(types_.tBoolean, name == "TRUE");
    return true;
  }
  if (name == "MAXINT") {
    out = constant(types_.tInteger, INT32_MAX);
    return true;
  }
  if (name == "PI") {
    argc(0, 0);
    out.isConst = true;
    out.type = types_.tDouble;
    out.k.f = 3.14159265358979323846;
    return true;
  }
  if (name.size() > 2 && name[0] == 'E' && name[1] == 'R') {
    for (int k = 0; k < erKindCount; ++k) {
      if (name == Upper(kErrorKindNames[k])) {
        out = constant(types_.tInteger, k);
        return true;
      }
    }
  }
  if (name == "LENGTH" || name == "GETARRAYLENGTH") {
    argc(1, 1);
    Val v = Expr(args[0]);
    const Type* t = v.type;
    if (t->kind == TypeKind::Char) {
      out = constant(types_.tInteger, 1);
    } else if (t->kind == TypeKind::String) {
      if (v.isConst) {
        out = constant(types_.tInteger, static_cast<int64_t>(v.k.s.size()));
        return true;
      }
      int r = Dest(types_.tInteger, target, targetType);
      Emit(OP_SLEN, r, v.reg);
      out = reg(types_.tInteger, r);
    } else if (t->kind == TypeKind::DynArray) {
      int r = Dest(types_.tInteger, target, targetType);
      if (v.isConst) {
        Emit(OP_LOADI, r, 0);
      } else {
        Emit(OP_ALEN, r, v.reg);
      }
      out = reg(types_.tInteger, r);
    } else if (t->kind == TypeKind::StaticArray) {
      out = constant(types_.tInteger, t->hi - t->lo + 1);
    } else {
      Error(args[0], "Incompatible types");
    }
    return true;
  }
  if (name == "SETLENGTH" || name == "SETARRAYLENGTH") {
    argc(2, 2);
    const Type* t = StaticType(args[0]);
    if (!t) {
      Loc probe = LValue(args[0]);
      t = probe.type;
    }
    Mark m = TempMark();
    if (t->kind == TypeKind::String) {
      int base = AllocRun({0, 0});
      ArgInto(args[0], base, types_.tString, ParamMode::Var, at);
      ArgInto(args[1], base + 1, types_.tInt64, ParamMode::Value, at);
      Emit(OP_CALLB, BuiltinIndex("$SETLENGTH_STR"), base, -1);
    } else if (t->kind == TypeKind::DynArray) {
      int base = AllocRun({0, 0, 0});
      ArgInto(args[0], base, t, ParamMode::Var, at);
      ArgInto(args[1], base + 1, types_.tInt64, ParamMode::Value, at);
      Emit(OP_LOADI, base + 2, LayoutOf(t->elem));
      Emit(OP_CALLB, BuiltinIndex("$SETLENGTH_ARR"), base, -1);
    } else {
      Error(args[0], "Incompatible types");
    }
    TempRelease(m);
    out.type = types_.tVoid;
    return true;
  }
  if (name == "HIGH" || name == "LOW") {
    argc(1, 1);
    bool high = name == "HIGH";
    const Type* t = nullptr;
    if (args[0]->kind == NK::Name) {
      const Symbol* s = Lookup(args[0]->upper);
      if (s && s->kind == SymKind::TypeName) t = s->type;
      if (!s) t = types_.Builtin(args[0]->upper);
    }
    Val v;
    if (!t) {
      v = Expr(args[0]);
      t = v.type;
    } else {
      v.isConst = true;
    }
    if (t->IsOrdinal()) {
      Val c = constant(t, high ? t->MaxValue() : t->MinValue());
      out = c;
    } else if (t->kind == TypeKind::StaticArray) {
      out = constant(types_.tInteger, high ? t->hi : t->lo);
    } else if (t->kind == TypeKind::DynArray) {
      if (!high) {
        out = constant(types_.tInteger, 0);
      } else if (v.isConst) {
        out = constant(types_.tInteger, -1);
      } else {
        int r = Dest(types_.tInteger, target, targetType);
        Emit(OP_ALEN, r, v.reg);
        Emit(OP_SUBK_I, r, r, 1);
        out = reg(types_.tInteger, r);
      }
    } else if (t->kind == TypeKind::String) {
      if (!high) {
        out = constant(types_.tInteger, 1);
      } else if (v.isConst) {
        out = constant(types_.tInteger, static_cast<int64_t>(v.k.s.size()));
      } else {
        int r = Dest(types_.tInteger, target, targetType);
        Emit(OP_SLEN, r, v.reg);
        out = reg(types_.tInteger, r);
      }
    } else {
      Error(args[0], "Incompatible types");
    }
    return true;
  }
  if (name == "INC" || name == "DEC") {
    argc(1, 2);
    Loc loc = LValue(args[0]);
    if (loc.readOnly) Error(args[0], "Left side cannot be assigned to");
    const Type* t = loc.type;
    if (!t->IsOrdinal() || t->kind == TypeKind::Boolean) Error(args[0], "Ordinal type required");
    Val amount = args.size() == 2 ? Expr(args[1]) : constant(types_.tInteger, 1);
    if (amount.type->kind != TypeKind::Integer) Error(args[1], "Ordinal type required");
    bool dec = name == "DEC";
    const Type* at32 = t->kind == TypeKind::Integer ? t : types_.tByte;
    const Type* wt = at32->ik == IntKind::S64 ? types_.tInt64 : at32->ik == IntKind::U32 ? types_.tCardinal : types_.tInteger;
    int w = wt == types_.tInt64 ? 2 : wt == types_.tCardinal ? 1 : 0;
    Val cur = ReadLoc(loc, -1, nullptr);
    int cr = cur.reg;
    int r = loc.kind == Loc::Local ? loc.reg : AllocTemp(wt);
    if (w == 0 && amount.isConst && FitsImm(amount.k.i)) {
      Emit(dec ? OP_SUBK_I : OP_ADDK_I, r, cr, static_cast<int32_t>(amount.k.i));
    } else {
      int ar = ToReg(amount);
      Opcode o = dec ? (w == 0 ? OP_SUB_I : w == 1 ? OP_SUB_U : OP_SUB_L)
                     : (w == 0 ? OP_ADD_I : w == 1 ? OP_ADD_U : OP_ADD_L);
      Emit(o, r, cr, ar);
    }
    Val nv = reg(wt, r);
    if (t->kind != TypeKind::Integer) {
      nv = Convert(nv, types_.tByte, at);
      nv.type = t;
    }
    if (loc.kind == Loc::Local) {
      if (t->kind == TypeKind::Integer) {
        Val c = Convert(nv, t, at);
        if (c.reg != loc.reg) Emit(OP_MOV, loc.reg, c.reg);
      } else if (nv.reg != loc.reg) {
        Emit(OP_MOV, loc.reg, nv.reg);
      }
    } else {
      if (t->kind == TypeKind::Integer) nv = Convert(nv, t, at);
      Loc l2 = loc;
      l2.type = nv.type;
      StoreLoc(l2, nv, at);
    }
    out.type = types_.tVoid;
    return true;
  }
  if (name == "ORD") {
    argc(1, 1);
    Val v = Expr(args[0], target, targetType);
    if (!v.type->IsOrdinal()) Error(args[0], "Ordinal type required");
    if (v.type->kind != TypeKind::Integer) v.type = types_.tInteger;
    out = v;
    return true;
  }
  if (name == "CHR") {
    argc(1, 1);
    Val v = Expr(args[0]);
    if (v.type->kind != TypeKind::Integer) Error(args[0], "Ordinal type required");
    Val c = Convert(v, types_.tByte, args[0]);
    c.type = types_.tChar;
    out = c;
    return true;
  }
  if (name == "SUCC" || name == "PRED") {
    argc(1, 1);
    Val v = Expr(args[0]);
    const Type* t = v.type;
    if (!t->IsOrdinal()) Error(args[0], "Ordinal type required");
    int64_t d = name == "SUCC" ? 1 : -1;
    if (v.isConst) {
      v.k.i = t->kind == TypeKind::Integer ? WrapInt(v.k.i + d, t->ik) : (v.k.i + d) & (t->kind == TypeKind::Char ? 255 : 1);
      out = v;
      return true;
    }
    const Type* wt = t->kind == TypeKind::Integer && t->ik == IntKind::S64 ? types_.tInt64 : types_.tInteger;
    int r = AllocTemp(wt);
    if (wt == types_.tInt64) {
      int one = AllocTemp(types_.tInt64);
      Emit(OP_LOADI, one, static_cast<int32_t>(d));
      Emit(OP_ADD_L, r, v.reg, one);
    } else {
      Emit(OP_ADDK_I, r, v.reg, static_cast<int32_t>(d));
    }
    Val nv = reg(wt, r);
    if (t->kind == TypeKind::Integer) {
      out = Convert(nv, t, at);
    } else {
      nv = Convert(nv, types_.tByte, at);
      nv.type = t;
      out = nv;
    }
    return true;
  }
  if (name == "ODD") {
    argc(1, 1);
    Val v = Expr(args[0]);
    if (v.type->kind != TypeKind::Integer) Error(args[0], "Ordinal type required");
    if (v.isConst) {
      out = constant(types_.tBoolean, (v.k.i & 1) != 0);
      return true;
    }
    int one = AllocTemp(types_.tInteger);
    Emit(OP_LOADI, one, 1);
    int r = Dest(types_.tBoolean, target, targetType);
    Emit(OP_AND, r, v.reg, one);
    out = reg(types_.tBoolean, r);
    return true;
  }
  if (name == "ABS" || name == "SQR") {
    argc(1, 1);
    Val v = Expr(args[0]);
    const Type* t = v.type;
    bool abs = name == "ABS";
    if (t->kind == TypeKind::Float) {
      if (v.isConst) {
        v.k.f = abs ? std::fabs(v.k.f) : v.k.f * v.k.f;
        v.type = types_.tDouble;
        out = v;
        return true;
      }
      int r = Dest(types_.tDouble, target, targetType);
      if (abs) {
        int zero = AllocTemp(types_.tDouble);
        prog_.floats.push_back(0.0);
        Emit(OP_LOADF, zero, static_cast<int32_t>(prog_.floats.size() - 1));
        int neg = AllocTemp(types_.tBoolean);
        Emit(OP_LT_F, neg, v.reg, zero);
        if (r != v.reg) Emit(OP_MOV, r, v.reg);
        int skip = Emit(OP_JF, neg, 0);
        Emit(OP_NEG_F, r, v.reg);
        PatchTo(skip, Here());
      } else {
        Emit(OP_MUL_F, r, v.reg, v.reg);
      }
      out = reg(types_.tDouble, r);
      return true;
    }
    if (t->kind != TypeKind::Integer) Error(args[0], "Incompatible types");
    const Type* rt = t->ik == IntKind::S64 || t->ik == IntKind::U32 ? types_.tInt64 : types_.tInteger;
    if (v.isConst) {
      int64_t x = v.k.i;
      v.k.i = abs ? WrapInt(x < 0 ? static_cast<int64_t>(0ULL - static_cast<uint64_t>(x)) : x, rt->ik)
                  : WrapInt(static_cast<int64_t>(static_cast<uint64_t>(x) * static_cast<uint64_t>(x)), rt->ik);
      v.type = rt;
      out = v;
      return true;
    }
    int r = Dest(rt, target, targetType);
    bool is64 = rt->ik == IntKind::S64;
    if (abs) {
      if (r != v.reg) Emit(OP_MOV, r, v.reg);
      int skip = Emit(OP_JGEK, r, 0, 0);
      Emit(is64 ? OP_NEG_L : OP_NEG_I, r, r);
      PatchTo(skip, Here());
    } else {
      Emit(is64 ? OP_MUL_L : OP_MUL_I, r, v.reg, v.reg);
    }
    out = reg(rt, r);
    return true;
  }
  if (name == "MAX" || name == "MIN") {
    argc(2, 2);
    Val a = Expr(args[0]);
    Val b = Expr(args[1]);
    bool isMax = name == "MAX";
    if (!a.type->IsNumeric() || !b.type->IsNumeric()) Error(at, "Incompatible types");
    bool fl = a.type->kind == TypeKind::Float || b.type->kind == TypeKind::Float;
    const Type* rt = fl ? types_.tDouble : IntArithType(types_, a.type, b.type);
    if (a.isConst && b.isConst) {
      if (fl) {
        double x = a.type->kind == TypeKind::Float ? a.k.f : static_cast<double>(a.k.i);
        double y = b.type->kind == TypeKind::Float ? b.k.f : static_cast<double>(b.k.i);
        out.isConst = true;
        out.type = rt;
        out.k.f = isMax ? (x > y ? x : y) : (x < y ? x : y);
      } else {
        out = constant(rt, isMax ? std::max(a.k.i, b.k.i) : std::min(a.k.i, b.k.i));
      }
      return true;
    }
    Val ca = Convert(a, rt, args[0]), cb = Convert(b, rt, args[1]);
    int ra = ToReg(ca), rb = ToReg(cb);
    int r = AllocTemp(rt);
    int keepA = AllocTemp(types_.tBoolean);
    // keepA := a > b (max) or a < b (min)
    if (fl) {
      Emit(OP_LT_F, keepA, isMax ? rb : ra, isMax ? ra : rb);
    } else {
      Emit(OP_LT, keepA, isMax ? rb : ra, isMax ? ra : rb);
    }
    Emit(OP_MOV, r, rb);
    int skip = Emit(OP_JF, keepA, 0);
    Emit(OP_MOV, r, ra);
    PatchTo(skip, Here());
    out = reg(rt, r);
    return true;
  }
  if (name == "SIZEOF") {
    argc(1, 1);
    const Type* t = nullptr;
    if (args[0]->kind == NK::Name) {
      const Symbol* s = Lookup(args[0]->upper);
      if (s && s->kind == SymKind::TypeName) t = s->type;
      if (!s) t = types_.Builtin(args[0]->upper);
    }
    if (!t) t = StaticType(args[0]);
    if (!t) t = Expr(args[0]).type;
    out = constant(types_.tInteger, ByteSize(t));
    return true;
  }
  if (name == "ASSIGNED") {
    argc(1, 1);
    Val v = Expr(args[0]);
    const Type* t = v.type;
    int len = AllocTemp(types_.tInteger);
    if (t->kind == TypeKind::DynArray && !v.isConst) {
      Emit(OP_ALEN, len, v.reg);
    } else if (t->kind == TypeKind::String && !v.isConst) {
      Emit(OP_SLEN, len, v.reg);
    } else if (t->kind == TypeKind::Variant && !v.isConst) {
      int base = AllocRun({1});
      Emit(OP_MOVM, base, v.reg);
      Emit(OP_CALLB, BuiltinIndex("VARISEMPTY"), base, len);
      int r = Dest(types_.tBoolean, target, targetType);
      Emit(OP_NOTB, r, len);
      out = reg(types_.tBoolean, r);
      return true;
    } else if (v.isConst && (t->kind == TypeKind::Nil || t->kind == TypeKind::String)) {
      out = constant(types_.tBoolean, !v.k.s.empty());
      return true;
    } else {
      Error(args[0], "Incompatible types");
    }
    int zero = AllocTemp(types_.tInteger);
    Emit(OP_LOADI, zero, 0);
    int r = Dest(types_.tBoolean, target, targetType);
    Emit(OP_NE, r, len, zero);
    out = reg(types_.tBoolean, r);
    return true;
  }
  if (name == "EXIT" || name == "BREAK" || name == "CONTINUE") {
    Error(at, "Statement expected", at->text);
  }
  return false;
}

}  // namespace

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
    if (upper == e.name) {
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
