// Standard routines expanded inline (Length, High, Inc, Ord, Succ, Abs, Max, SizeOf, ...).
#include "script_engine/codegen_internal.h"

#include <algorithm>
#include <cmath>

#include "script_engine/stdlib.h"
#include "script_engine/vm.h"

namespace script {

// Standard routines expanded inline. Returns false when `name` is not one of them.
bool CodeGen::Intrinsic(const std::string& name, const std::vector<Node*>& args, const Node* at,
                        int target, const Type* targetType, Val& out) {
  static constexpr const char* kNames[] = {
      "TRUE", "FALSE", "MAXINT", "PI", "LENGTH", "GETARRAYLENGTH", "SETLENGTH", "SETARRAYLENGTH", "HIGH",
      "LOW", "INC", "DEC", "ORD", "CHR", "SUCC", "PRED", "ODD", "ABS", "SQR", "MAX", "MIN", "SIZEOF",
      "ASSIGNED", "EXIT", "BREAK", "CONTINUE", "INCLUDE", "EXCLUDE"};
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
      out = InReg(types_.tInteger, r);
    } else if (t->kind == TypeKind::DynArray) {
      int r = Dest(types_.tInteger, target, targetType);
      if (v.isConst) {
        Emit(OP_LOADI, r, 0);
      } else {
        Emit(OP_ALEN, r, v.reg);
      }
      out = InReg(types_.tInteger, r);
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
      // An array indexed by an enumeration has bounds of that enumeration.
      const Type* bound = t->index && t->index->kind == TypeKind::Enum ? t->index : types_.tInteger;
      out = constant(bound, high ? t->hi : t->lo);
    } else if (t->kind == TypeKind::DynArray) {
      if (!high) {
        out = constant(types_.tInteger, 0);
      } else if (v.isConst) {
        out = constant(types_.tInteger, -1);
      } else {
        int r = Dest(types_.tInteger, target, targetType);
        Emit(OP_ALEN, r, v.reg);
        Emit(OP_SUBK_I, r, r, 1);
        out = InReg(types_.tInteger, r);
      }
    } else if (t->kind == TypeKind::String) {
      if (!high) {
        out = constant(types_.tInteger, 1);
      } else if (v.isConst) {
        out = constant(types_.tInteger, static_cast<int64_t>(v.k.s.size()));
      } else {
        int r = Dest(types_.tInteger, target, targetType);
        Emit(OP_SLEN, r, v.reg);
        out = InReg(types_.tInteger, r);
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
    bool isEnum = t->kind == TypeKind::Enum;  // no wrap: the value only leaves the range by stepping out
    const Type* at32 = t->kind == TypeKind::Integer ? t : isEnum ? types_.tInteger : types_.tByte;
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
    Val nv = InReg(wt, r);
    if (t->kind != TypeKind::Integer) {
      if (!isEnum) nv = Convert(nv, types_.tByte, at);
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
      if (t->kind == TypeKind::Enum) {
        if (v.k.i + d < t->base->lo || v.k.i + d > t->base->hi) {
          Error(args[0], "Constant expression violates subrange bounds");
        }
        v.k.i += d;
      } else {
        v.k.i = t->kind == TypeKind::Integer ? WrapInt(v.k.i + d, t->ik)
                                             : (v.k.i + d) & (t->kind == TypeKind::Char ? 255 : 1);
      }
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
    Val nv = InReg(wt, r);
    if (t->kind == TypeKind::Integer) {
      out = Convert(nv, t, at);
    } else {
      if (t->kind != TypeKind::Enum) nv = Convert(nv, types_.tByte, at);
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
    out = InReg(types_.tBoolean, r);
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
      out = InReg(types_.tDouble, r);
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
    out = InReg(rt, r);
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
    out = InReg(rt, r);
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
      out = InReg(types_.tBoolean, r);
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
    out = InReg(types_.tBoolean, r);
    return true;
  }
  if (name == "INCLUDE" || name == "EXCLUDE") {
    SetInclude(args, at, name == "INCLUDE");
    out.type = types_.tVoid;
    return true;
  }
  if (name == "EXIT" || name == "BREAK" || name == "CONTINUE") {
    Error(at, "Statement expected", at->text);
  }
  return false;
}

}  // namespace script
