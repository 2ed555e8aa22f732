// Routines: their headings, bodies and forward declarations, routines declared inside routines
// (with the static link that reaches the enclosing frames), and calls of script routines, native
// routines and built-in routines with their arguments.
#include "script_engine/codegen_internal.h"

#include <cstring>

#include "script_engine/stdlib.h"

namespace script {

RoutineInfo* CodeGen::MakeRoutineInfo(const RoutineDecl* r, int level) {
  routines_.emplace_back();
  RoutineInfo* info = &routines_.back();
  info->name = r->name;
  info->decl = r;
  info->level = level;
  int32_t offset = level >= 2 ? 1 : 0;  // slot 0: the static link
  for (const ParamDecl& p : r->params) {
    // An enumeration written out here would declare its names once per heading (a forward
    // declaration has two).
    if (p.type->kind == NK::TypeEnum) Error(p.type, "Type identifier expected");
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
  if (r->isFunction && r->result->kind == NK::TypeEnum) Error(r->result, "Type identifier expected");
  info->result = r->isFunction ? ResolveType(r->result) : types_.tVoid;
  return info;
}

void CodeGen::DeclareRoutine(const Decl* d) {
  const RoutineDecl* r = d->routine;
  auto& scope = CurrentScope();
  int level = fs_->level + 1;
  auto it = scope.find(r->upper);
  RoutineInfo* info = nullptr;
  if (it != scope.end()) {
    // The body of a routine declared forward: the headings must agree.
    if (it->second.kind != SymKind::Routine || it->second.routine->defined ||
        it->second.routine->importIndex >= 0 || r->isForward) {
      ErrorAt(r->line, r->col, "Duplicate identifier", r->name);
    }
    info = it->second.routine;
    RoutineInfo* fresh = MakeRoutineInfo(r, level);
    bool same = fresh->paramTypes.size() == info->paramTypes.size() &&
                SameType(fresh->result, info->result);
    for (size_t i = 0; same && i < fresh->paramTypes.size(); ++i) {
      same = SameType(fresh->paramTypes[i], info->paramTypes[i]) && fresh->modes[i] == info->modes[i];
    }
    if (!same) ErrorAt(r->line, r->col, "Declaration differs from previous declaration", r->name);
    info->decl = r;
  } else {
    info = MakeRoutineInfo(r, level);
    TFunction fn;
    fn.name = r->name;
    prog_.functions.push_back(std::move(fn));
    RefreshFunctions();
    info->funcIndex = static_cast<int>(prog_.functions.size()) - 1;
    Symbol sym;
    sym.kind = SymKind::Routine;
    sym.routine = info;
    sym.type = info->result;
    scope[r->upper] = sym;
  }
  if (!r->isForward) {
    info->defined = true;
    CompileRoutine(info, r);
  }
}

// Adding a routine may move the program's function list: the routines being compiled (the chain
// of enclosing ones and main) find their functions again.
void CodeGen::RefreshFunctions() {
  for (FuncState* f = fs_; f; f = f->parent) f->fn = &prog_.functions[static_cast<size_t>(f->funcIndex)];
  mainState_.fn = &prog_.functions[0];
}

void CodeGen::CompileRoutine(RoutineInfo* info, const RoutineDecl* r) {
  FuncState state;
  state.funcIndex = info->funcIndex;
  state.fn = &prog_.functions[static_cast<size_t>(info->funcIndex)];
  state.fn->code.clear();
  state.fn->lines.clear();
  state.fn->cols.clear();
  state.fn->code.reserve(64);
  state.fn->lines.reserve(64);
  state.fn->cols.reserve(64);
  state.routine = info;
  state.parent = fs_;
  state.level = info->level;
  FuncState* saved = fs_;
  fs_ = &state;
  if (info->level >= 2) SetKinds(0, {0});
  for (size_t i = 0; i < info->paramTypes.size(); ++i) {
    Symbol sym;
    sym.kind = SymKind::Var;
    sym.type = info->paramTypes[i];
    sym.slot = info->offsets[i];
    sym.level = info->level;
    sym.byRef = info->modes[i] == ParamMode::Var;
    sym.readOnly = info->modes[i] == ParamMode::Const;
    if (sym.byRef) {
      SetKinds(sym.slot, {0});
    } else {
      SetKinds(sym.slot, sym.type->kinds);
    }
    Define(state.scope, info->paramNames[i], sym, nullptr, r->line, r->col);
  }
  state.localsEnd = info->paramSlots;
  state.top = state.localsEnd;
  if (info->result->kind != TypeKind::Void) {
    state.resultSlot = AddLocal(info->result);
    Symbol sym;
    sym.kind = SymKind::Var;
    sym.type = info->result;
    sym.slot = state.resultSlot;
    sym.level = info->level;
    if (!state.scope.count("RESULT")) state.scope["RESULT"] = sym;
  }
  Declarations(r->decls, false);
  TFunction& fn = *state.fn;  // routines declared inside may have moved it
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
  fs_ = saved;
}

// A register holding a reference to the frame of the enclosing routine at `level` (below the
// current routine's): the static link leads one level up, and each frame's slot 0 holds the link
// to the frame above it.
int CodeGen::FrameRef(int level) {
  int reg = 0;
  for (const FuncState* f = fs_->parent; f->level > level; f = f->parent) {
    int next = AllocTemp(types_.tInteger);
    Emit(OP_LDR, next, reg);
    reg = next;
  }
  return reg;
}

// True when the variable is a slot of the current frame (not a global reached from a routine, not
// a variable of an enclosing routine).
bool CodeGen::IsOwnSlot(const Symbol* s) const {
  return s->global ? fs_ == &mainState_ : s->level == fs_->level;
}

// Where a function's result is when `routine` is the function being compiled or one it encloses
// (assignments to a function's name set its result); null otherwise.
const FuncState* CodeGen::ResultOwner(const RoutineInfo* routine) const {
  for (const FuncState* f = fs_; f && f != &mainState_; f = f->parent) {
    if (f->routine == routine) return f->resultSlot >= 0 ? f : nullptr;
  }
  return nullptr;
}

Loc CodeGen::ResultLoc(const FuncState* owner) {
  Loc loc;
  loc.type = owner->routine->result;
  if (owner == fs_) {
    loc.kind = Loc::Local;
    loc.reg = owner->resultSlot;
    return loc;
  }
  int r = AllocTemp(types_.tInteger);
  Emit(OP_REFFLD, r, FrameRef(owner->level), owner->resultSlot);
  loc.kind = Loc::Ref;
  loc.reg = r;
  return loc;
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
    // Arrays on the way to the location are held in temporaries of their own, so that the callee's
    // reference stays valid even if the callee resizes or replaces an array variable.
    bool wasPinning = pinArrays_;
    pinArrays_ = true;
    Loc loc = LValue(arg);
    pinArrays_ = wasPinning;
    if (loc.readOnly) Error(arg, "Variable required");
    if (!SameType(loc.type, type)) {
      Error(arg, "Types of actual and formal var parameters must be identical");
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
    if (v.isConst) {
      Emit(OP_SETK, dref, SetConstIndex(v.k.bits));  // a set constant
    } else {
      Emit(OP_COPYR, dref, v.reg, LayoutOf(type));
    }
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
  if (r->level >= 2) kinds.push_back(0);  // the static link
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
  if (r->level >= 2) {
    // The callee's enclosing routine is this one or one that encloses it.
    if (r->level - 1 == fs_->level) {
      Emit(OP_REFL, base, 0);
    } else {
      Emit(OP_MOV, base, FrameRef(r->level - 1));
    }
  }
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
  return InReg(rt, dst);
}

}  // namespace script
