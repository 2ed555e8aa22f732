// Variables: where a name, field or element lives (the current frame, the globals, an enclosing
// routine's frame, a record opened by `with`, an array), and reading, storing and copying it.
#include "script_engine/codegen_internal.h"

namespace script {

Loc CodeGen::LValue(const Node* n) {
  switch (n->kind) {
    case NK::Name: {
      const Symbol* sym = Lookup(n->upper);
      if (sym && sym->kind == SymKind::Routine) {
        if (const FuncState* owner = ResultOwner(sym->routine)) return ResultLoc(owner);
        break;  // a call: see below
      }
      if (!sym) Error(n, "Unknown identifier", n->text);
      if (sym->kind == SymKind::Field) return WithFieldLoc(*sym);
      if (sym->kind != SymKind::Var) Error(n, "Variable required", n->text);
      return VarLoc(*sym);
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
        if (pinArrays_ && !IsTemp(areg)) {
          // The reference outlives this expression: hold the array itself, not the variable.
          int pin = AllocTemp(types_.tVariant);
          Emit(OP_MOVM, pin, areg);
          areg = pin;
        }
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
      if ((idx.type->kind == TypeKind::Enum || at->index->kind == TypeKind::Enum) &&
          !SameOrdinalFamily(idx.type, at->index)) {
        Incompatible(n->b, at->index, idx.type);
      }
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

// A variable by its symbol: a slot of this frame, a global, a var parameter's reference, or a slot
// of an enclosing routine's frame.
Loc CodeGen::VarLoc(const Symbol& sym) {
  Loc loc;
  loc.type = sym.type;
  loc.readOnly = sym.readOnly;
  if (sym.global) {
    loc.kind = fs_ == &mainState_ ? Loc::Local : Loc::Global;
    loc.reg = sym.slot;
    return loc;
  }
  if (sym.level == fs_->level) {
    loc.kind = sym.byRef ? Loc::Ref : Loc::Local;
    loc.reg = sym.slot;
    return loc;
  }
  int r = AllocTemp(types_.tInteger);
  Emit(OP_REFFLD, r, FrameRef(sym.level), sym.slot);
  if (sym.byRef) Emit(OP_LDR, r, r);
  loc.kind = Loc::Ref;
  loc.reg = r;
  return loc;
}

// A field of a record opened by `with`.
Loc CodeGen::WithFieldLoc(const Symbol& sym) {
  const Loc& base = fs_->withs[static_cast<size_t>(sym.with)]->loc;
  Loc loc = base;
  loc.type = sym.type;
  if (base.kind == Loc::Local || base.kind == Loc::Global) {
    loc.reg = base.reg + sym.slot;
  } else {
    int r = AllocTemp(types_.tInteger);
    Emit(OP_REFFLD, r, base.reg, sym.slot);
    loc.kind = Loc::Ref;
    loc.reg = r;
  }
  return loc;
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
  StoreComposite(dst, CompositeSource(src), st, at);
}

// A composite value to be copied somewhere: a reference to its slots, or a constant set. Arrays on
// the way are held (see LValue), since the destination is worked out after the value.
Val CodeGen::CompositeSource(const Node* src) {
  bool wasPinning = pinArrays_;
  pinArrays_ = true;
  Val v = Expr(src);
  pinArrays_ = wasPinning;
  return v;
}

void CodeGen::StoreComposite(const Loc& dst, const Val& v, const Type* srcStatic, const Node* at) {
  if (!SameType(v.type, dst.type) && !(srcStatic && SameType(srcStatic, dst.type))) {
    Error(at, "Incompatible types: '" + dst.type->name + "' and '" + v.type->name + "'");
  }
  if (!v.type->IsComposite()) Error(at, "Incompatible types");
  int dref = RefOf(dst);
  if (v.isConst) {
    // Only sets have constants.
    Emit(OP_SETK, dref, SetConstIndex(v.k.bits));
    return;
  }
  Emit(OP_COPYR, dref, v.reg, LayoutOf(dst.type));
}

}  // namespace script
