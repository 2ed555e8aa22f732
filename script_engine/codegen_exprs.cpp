// Expressions: names, operators (long chains of them in a loop), constant folding, comparisons,
// conditions that jump, and the static type of an expression.
#include "script_engine/codegen_internal.h"

#include <algorithm>
#include <cmath>

#include "script_engine/stdlib.h"

namespace script {

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
        return InReg(types_.tChar, r);
      }
      Loc loc = LValue(n);
      return ReadLoc(loc, target, targetType);
    }
    case NK::Field: {
      Loc loc = LValue(n);
      return ReadLoc(loc, target, targetType);
    }
    case NK::SetCons: return SetConstructor(n);
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
      case SymKind::Var:
      case SymKind::Field: {
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
      return InReg(types_.tDouble, r);
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
    return InReg(rt, r);
  }
  // not
  if (t->kind == TypeKind::Boolean) {
    if (v.isConst) {
      v.k.i = !v.k.i;
      return v;
    }
    int r = Dest(t, target, targetType);
    Emit(OP_NOTB, r, v.reg);
    return InReg(t, r);
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
    return InReg(rt, r);
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

namespace {

bool IsChainOperator(TokenKind op) {
  switch (op) {
    case TK_PLUS: case TK_MINUS: case TK_OR: case TK_XOR: case TK_STAR: case TK_SLASH: case TK_DIV:
    case TK_MOD: case TK_AND: case TK_SHL: case TK_SHR: return true;
    default: return false;
  }
}

}  // namespace

// a op b op c ...: the parser builds a tree that leans left, as deep as the chain is long. It is
// walked down its left side into a list, the leftmost operand evaluated, and the operators applied
// on the way back up in a loop, so that no chain length reaches the native stack. A step's result
// goes into the register of the one before it when that is a temporary of the same kind.
Val CodeGen::Binary(const Node* n, int target, const Type* targetType) {
  switch (n->op) {
    case TK_EQ: case TK_NE: case TK_LT: case TK_LE: case TK_GT: case TK_GE:
      return Compare(n, target, targetType);
    case TK_IN: return InExpr(n, target, targetType);
    default: break;
  }
  // Most chains are short: their steps stay on the stack.
  const Node* shortChain[16];
  std::vector<const Node*> longChain;
  size_t length = 0;
  bool shortCircuits = false;
  const Node* leftmost = n;
  while (leftmost->kind == NK::Binary && IsChainOperator(leftmost->op)) {
    if (length < 16) {
      shortChain[length] = leftmost;
    } else {
      if (longChain.empty()) longChain.assign(shortChain, shortChain + 16);
      longChain.push_back(leftmost);
    }
    ++length;
    shortCircuits = shortCircuits || leftmost->op == TK_AND || leftmost->op == TK_OR;
    leftmost = leftmost->a;
  }
  const Node* const* chain = length <= 16 ? shortChain : longChain.data();
  // Whether the value so far is known to be boolean without compiling it, as StaticType tells it:
  // and/or on such a value short-circuit.
  bool accBool = shortCircuits && IsBoolExpr(leftmost);
  Val acc = Expr(leftmost);
  for (size_t i = length; i-- > 0;) {
    const Node* step = chain[i];
    if (i == 0) return BinaryStep(step, acc, accBool, target, targetType);
    Mark m = TempMark();
    bool reuse = !acc.isConst && IsTemp(acc.reg) && !acc.type->IsComposite();
    acc = BinaryStep(step, acc, accBool, reuse ? acc.reg : -1, reuse ? acc.type : nullptr);
    if (step->op != TK_AND && step->op != TK_OR && step->op != TK_XOR) accBool = false;
    // The operand's temporaries are done with once the result sits below them.
    if (acc.isConst || acc.reg < m.top) TempRelease(m);
  }
  return acc;
}

// One operator of a chain applied to the value so far and the operator's right operand.
Val CodeGen::BinaryStep(const Node* n, const Val& a, bool aIsBool, int target, const Type* targetType) {
  TokenKind op = n->op;
  if ((op == TK_AND || op == TK_OR) && aIsBool) {
    // Short-circuit evaluation into a boolean register.
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
    return InReg(types_.tBoolean, r);
  }
  Val b = Expr(n->b);
  SetPos(n);
  const Type* ta = a.type;
  const Type* tb = b.type;
  auto bad = [&]() -> Val { Error(n, "Operator not applicable to this operand type"); };
  if (ta->kind == TypeKind::Set || tb->kind == TypeKind::Set) return SetOperator(n, a, b, -1);
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
    return InReg(types_.tString, r);
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
    return InReg(rt, r);
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
    return InReg(types_.tBoolean, r);
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
    return InReg(rt, r);
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
  return InReg(rt, r);
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
    return InReg(types_.tBoolean, r);
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
  // Greater-than and greater-or-equal swap their operands onto less-than and less-or-equal, so each
  // operand family needs only four opcodes.
  auto emitCompare = [&](int r, int x, int y, Opcode eq, Opcode ne, Opcode lt, Opcode le) {
    switch (op) {
      case TK_EQ: Emit(eq, r, x, y); break;
      case TK_NE: Emit(ne, r, x, y); break;
      case TK_LT: Emit(lt, r, x, y); break;
      case TK_LE: Emit(le, r, x, y); break;
      case TK_GT: Emit(lt, r, y, x); break;
      default: Emit(le, r, y, x); break;
    }
  };
  if (ta->kind == TypeKind::Set || tb->kind == TypeKind::Set) return SetCompare(n, a, b, target, targetType);
  bool ordinalPair = SameOrdinalFamily(ta, tb);
  if (ordinalPair) {
    if (a.isConst && b.isConst) return constBool(cmpResult(a.k.i < b.k.i ? -1 : a.k.i > b.k.i ? 1 : 0));
    int ra = ToReg(a), rb = ToReg(b);
    int r = Dest(types_.tBoolean, target, targetType);
    emitCompare(r, ra, rb, OP_EQ, OP_NE, OP_LT, OP_LE);
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
    emitCompare(r, ra, rb, OP_EQ_F, OP_NE_F, OP_LT_F, OP_LE_F);
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
    emitCompare(r, c, zero, OP_EQ, OP_NE, OP_LT, OP_LE);
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
        case TK_EQ: case TK_NE: case TK_LT: case TK_LE: case TK_GT: case TK_GE: case TK_IN:
          return types_.tBoolean;
        case TK_AND: case TK_OR: case TK_XOR: {
          // A chain of them is boolean when its leftmost operand is (walked in a loop: chains may
          // be long).
          const Node* x = n->a;
          while (x->kind == NK::Binary && (x->op == TK_AND || x->op == TK_OR || x->op == TK_XOR)) x = x->a;
          const Type* t = StaticType(x);
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
        if (s->kind == SymKind::Var || s->kind == SymKind::Const || s->kind == SymKind::Field) return s->type;
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
    // A chain of the same operator (a and b and c ...) is taken operand by operand.
    std::vector<const Node*> operands;
    const Node* x = n;
    while (x->kind == NK::Binary && x->op == n->op) {
      operands.push_back(x->b);
      x = x->a;
    }
    operands.push_back(x);
    std::reverse(operands.begin(), operands.end());
    bool isAnd = n->op == TK_AND;
    if (isAnd != jumpIf) {
      // and/false, or/true: any operand decides.
      for (const Node* o : operands) Cond(o, jumpIf, jumps);
    } else {
      // and/true, or/false: every operand but the last can only decide the other way.
      std::vector<int> fallThrough;
      for (size_t i = 0; i + 1 < operands.size(); ++i) Cond(operands[i], !jumpIf, fallThrough);
      Cond(operands.back(), jumpIf, jumps);
      PatchList(fallThrough, Here());
    }
    return;
  }
  Mark m = TempMark();
  if (n->kind == NK::Binary && n->op >= TK_EQ && n->op <= TK_GE) {
    const Type* sa = StaticType(n->a);
    const Type* sb = StaticType(n->b);
    bool ints = sa && sb && SameOrdinalFamily(sa, sb);
    if (ints) {
      Val a = Expr(n->a);
      Val b = Expr(n->b);
      SetPos(n);
      if (SameOrdinalFamily(a.type, b.type) && !(a.isConst && b.isConst)) {
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

}  // namespace script
