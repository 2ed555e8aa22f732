// Statements: assignment, if, loops, case, with and exit.
#include "script_engine/codegen_internal.h"

namespace script {

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
    case NK::With: With(n); break;
    default: Error(n, "Statement expected");
  }
  TempRelease(m);
}

void CodeGen::Assign(const Node* n) {
  const Node* target = n->a;
  // Assignment to the function name inside the function sets its result.
  if (target->kind == NK::Name) {
    const Symbol* sym = Lookup(target->upper);
    const FuncState* owner = sym && sym->kind == SymKind::Routine ? ResultOwner(sym->routine) : nullptr;
    if (owner == fs_ && owner) {
      StoreResult(n->b, n);
      return;
    }
    if (sym && sym->kind == SymKind::Var && !sym->byRef && IsOwnSlot(sym)) {
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
    // The value first: a call on the right side may resize an array that the location is in.
    const Type* srcStatic = StaticType(n->b);
    Val v = CompositeSource(n->b);
    Loc loc = LValue(target);
    if (loc.readOnly) Error(target, "Left side cannot be assigned to");
    StoreComposite(loc, v, srcStatic, n);
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
      return s && (s->kind == SymKind::Var || s->kind == SymKind::Const || s->kind == SymKind::Field);
    }
    case NK::Binary: {
      // Down the left side in a loop: operator chains may be long.
      const Node* x = n;
      for (; x->kind == NK::Binary; x = x->a) {
        if (!IsPure(x->b)) return false;
      }
      return IsPure(x);
    }
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
  // Down the left side in a loop: operator chains may be long.
  for (; n; n = n->a) {
    if ((n->kind == NK::Name) && n->upper == upper) return true;
    if (Mentions(n->b, upper)) return true;
    for (const Node* x : n->list) {
      if (Mentions(x, upper)) return true;
    }
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
  if (sym->kind != SymKind::Var || sym->byRef || !IsOwnSlot(sym) || sym->readOnly) {
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
        (v.type->kind == TypeKind::Boolean) != (sel.type->kind == TypeKind::Boolean) ||
        ((v.type->kind == TypeKind::Enum || sel.type->kind == TypeKind::Enum) &&
         !SameOrdinalFamily(v.type, sel.type))) {
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

// with r1, r2 do s: the fields of each record become names inside s, the last record's first. Each
// record's location is worked out once, before s; a reference to it stays in a register of its own
// (and arrays on the way are held) until the statement ends.
void CodeGen::With(const Node* n) {
  size_t opened = 0;
  for (const Node* rec : n->list) {
    bool wasPinning = pinArrays_;
    pinArrays_ = true;
    Loc loc = LValue(rec);
    pinArrays_ = wasPinning;
    if (loc.type->kind != TypeKind::Record) Error(rec, "Record type required");
    auto scope = std::make_unique<WithScope>();
    scope->loc = loc;
    int index = static_cast<int>(fs_->withs.size());
    for (const Field& f : loc.type->fields) {
      Symbol sym;
      sym.kind = SymKind::Field;
      sym.type = f.type;
      sym.slot = f.offset;
      sym.with = index;
      scope->fields[f.upper] = sym;
    }
    fs_->withs.push_back(std::move(scope));
    ++opened;
  }
  Stmt(n->a);
  for (; opened > 0; --opened) fs_->withs.pop_back();
}

// Result := value, in the function being compiled.
void CodeGen::StoreResult(const Node* value, const Node* at) {
  const Type* rt = fs_->routine->result;
  if (rt->IsComposite()) {
    Loc loc;
    loc.kind = Loc::Local;
    loc.type = rt;
    loc.reg = fs_->resultSlot;
    CopyComposite(loc, value, at);
  } else {
    ExprInto(value, fs_->resultSlot, rt);
  }
}

void CodeGen::ExitStmt(const Node* n) {
  if (n->a) {
    if (!fs_->routine || fs_->resultSlot < 0) Error(n, "Too many actual parameters", "Exit");
    StoreResult(n->a, n);
  }
  JumpOut(2, 0, fs_->tries.size(), n);
}

}  // namespace script
