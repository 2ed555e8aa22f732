// Routines: their headings, bodies and forward declarations, and calls of script routines,
// native routines and built-in routines with their arguments.
#include "script_engine/codegen_internal.h"

#include <cstring>

#include "script_engine/stdlib.h"

namespace script {

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

}  // namespace script
