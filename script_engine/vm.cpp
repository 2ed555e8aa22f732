// The script VM: run-time objects, the interpreter loop, and the executor (TScriptExec).
#include "script_engine/vm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "script_engine/loader.h"
#include "script_engine/stdlib.h"

namespace script {

namespace {

constexpr size_t kChunkSlots = 16384;

int64_t Wrap32(uint64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
int64_t WrapU32(uint64_t v) { return static_cast<uint32_t>(v); }

std::string FormatBool(bool b) { return b ? "True" : "False"; }

}  // namespace

const char* const kErrorKindNames[erKindCount] = {
    "erNoError", "erCannotImport", "erInvalidType", "erInternalError", "erInvalidHeader",
    "erInvalidOpcode", "erInvalidOpcodeParameter", "erNoMainProc", "erOutOfGlobalVarsRange",
    "erOutOfProcRange", "erOutOfRange", "erOutOfStackRange", "erTypeMismatch", "erUnexpectedEof",
    "erVersionError", "erDivideByZero", "erMathError", "erCouldNotCallProc", "erOutofRecordRange",
    "erOutOfMemory", "erException", "erNullPointerException", "erNullVariantError",
    "erInterfaceNotSupported", "erCustomError",
};

std::string ExceptionText(int32_t kind, std::string_view param) {
  std::string p(param);
  switch (kind) {
    case erNoError: return "";
    case erCannotImport: return "Cannot import " + p;
    case erInvalidType: return "Invalid type";
    case erInternalError: return "Internal error";
    case erInvalidHeader: return "Invalid header";
    case erInvalidOpcode: return "Invalid opcode";
    case erInvalidOpcodeParameter: return "Invalid opcode parameter";
    case erNoMainProc: return "No main routine";
    case erOutOfGlobalVarsRange: return "Out of global variables range";
    case erOutOfProcRange: return "Out of routine range";
    case erOutOfRange: return p.empty() ? "Out of range" : p;
    case erOutOfStackRange: return p.empty() ? "Out of stack range" : p;
    case erTypeMismatch: return "Type mismatch";
    case erUnexpectedEof: return "Unexpected end of file";
    case erVersionError: return "Version error";
    case erDivideByZero: return p.empty() ? "Division by zero" : p;
    case erMathError: return p.empty() ? "Math error" : p;
    case erCouldNotCallProc: return p.empty() ? "Could not call routine" : "Could not call routine: " + p;
    case erOutofRecordRange: return "Out of record fields range";
    case erOutOfMemory: return "Out of memory";
    case erException: return p;
    case erNullPointerException: return "Null pointer exception";
    case erNullVariantError: return p.empty() ? "Null variant error" : p;
    case erInterfaceNotSupported: return "Interface not supported";
    case erCustomError: return p;
    default: return "Unknown error " + std::to_string(kind) + (p.empty() ? "" : ": " + p);
  }
}

// ---------------------------------------------------------------------------------------------
// run-time objects

void FreeObject(HeapObj* o) {
  switch (o->tag) {
    case HT_STR: std::free(o); return;
    case HT_ARR: {
      Arr* a = static_cast<Arr*>(o);
      if (!a->layout->managed.empty()) {
        int32_t slots = a->layout->slots;
        for (int64_t e = 0; e < a->len; ++e) {
          for (int32_t m : a->layout->managed) Release(a->data[e * slots + m].o);
        }
      }
      std::free(a->data);
      std::free(a);
      return;
    }
    case HT_VAR: {
      Var* v = static_cast<Var*>(o);
      if (v->vtype == varString) Release(v->value.o);
      std::free(v);
      return;
    }
  }
}

void ReleaseLayout(Slot* base, const TLayout& layout) {
  for (int32_t m : layout.managed) {
    Release(base[m].o);
    base[m].o = nullptr;
  }
}

Str* AllocStr(int64_t cap) {
  void* mem = std::malloc(sizeof(Str) + static_cast<size_t>(cap));
  if (!mem) throw std::bad_alloc();
  Str* s = static_cast<Str*>(mem);
  s->rc = 1;
  s->tag = HT_STR;
  s->len = 0;
  s->cap = static_cast<int32_t>(cap);
  return s;
}

Str* NewStr(const char* data, int64_t len) {
  if (len <= 0) return nullptr;
  Str* s = AllocStr(len);
  std::memcpy(s->data, data, static_cast<size_t>(len));
  s->len = static_cast<int32_t>(len);
  s->data[len] = '\0';
  return s;
}

bool StrResize(Slot* slot, int64_t len) {
  if (len > kMaxAllocation) return false;
  Str* s = slot->s;
  if (len <= 0) {
    Release(s);
    slot->s = nullptr;
    return true;
  }
  if (s && s->rc == 1 && s->cap >= len) {
    s->len = static_cast<int32_t>(len);
    s->data[len] = '\0';
    return true;
  }
  int64_t cap = len;
  if (s && s->rc == 1 && len > s->len) cap = std::max<int64_t>(len, std::min<int64_t>(2 * static_cast<int64_t>(s->cap), kMaxAllocation));
  Str* fresh = AllocStr(cap);
  int64_t keep = s ? std::min<int64_t>(s->len, len) : 0;
  if (keep > 0) std::memcpy(fresh->data, s->data, static_cast<size_t>(keep));
  fresh->len = static_cast<int32_t>(len);
  fresh->data[len] = '\0';
  Release(s);
  slot->s = fresh;
  return true;
}

Var* NewVar(int32_t vtype) {
  Var* v = static_cast<Var*>(std::malloc(sizeof(Var)));
  if (!v) throw std::bad_alloc();
  v->rc = 1;
  v->tag = HT_VAR;
  v->vtype = vtype;
  v->value.i = 0;
  return v;
}

Arr* NewArr(const TLayout* layout, int64_t len) {
  if (len <= 0) return nullptr;
  Arr* a = static_cast<Arr*>(std::malloc(sizeof(Arr)));
  if (!a) throw std::bad_alloc();
  size_t count = static_cast<size_t>(len) * static_cast<size_t>(layout->slots);
  a->data = static_cast<Slot*>(std::calloc(count, sizeof(Slot)));
  if (!a->data) {
    std::free(a);
    throw std::bad_alloc();
  }
  a->rc = 1;
  a->tag = HT_ARR;
  a->len = static_cast<int32_t>(len);
  a->layout = layout;
  return a;
}

// ---------------------------------------------------------------------------------------------
// executor state

namespace {

void ReleaseFrame(const Frame& f) {
  for (int32_t m : f.fn->managed) {
    Release(f.base[m].o);
    f.base[m].o = nullptr;
  }
}

// Variant conversions for FROMVAR / FROMVARS; false on a failed conversion.
bool VariantToScalar(TExecImpl& vm, const Var* v, int32_t kind, Slot& out) {
  if (!v || v->vtype == varEmpty) {
    out.i = 0;
    if (kind == SK_FLOAT || kind == SK_SINGLE) out.f = 0.0;
    return true;
  }
  if (v->vtype == varNull) {
    vm.Fail(erNullVariantError, "Could not convert variant of type (Null)");
    return false;
  }
  bool isFloat = v->vtype == varSingle || v->vtype == varDouble;
  bool isString = v->vtype == varString;
  switch (kind) {
    case SK_INT:
    case SK_CHAR:
    case SK_BOOL: {
      int64_t i;
      if (isFloat) {
        double r = std::nearbyint(v->value.f);
        if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) {
          vm.Fail(erMathError, "Invalid variant type conversion");
          return false;
        }
        i = static_cast<int64_t>(r);
      } else if (isString) {
        std::string_view text = View(v->value.s);
        if (kind == SK_CHAR && text.size() == 1) {
          out.i = static_cast<unsigned char>(text[0]);
          return true;
        }
        if (kind == SK_BOOL && (text == "True" || text == "False")) {
          out.i = text == "True";
          return true;
        }
        Slot arg, res;
        arg.s = v->value.s;
        res.i = 0;
        int idx = FindBuiltin("STRTOINT64");
        kBuiltins[idx].fn(vm, &arg, &res);
        if (vm.failed) return false;
        i = res.i;
      } else {
        i = v->value.i;
      }
      out.i = kind == SK_BOOL ? (i != 0) : kind == SK_CHAR ? (i & 255) : i;
      return true;
    }
    default: {
      double f;
      if (isFloat) {
        f = v->value.f;
      } else if (isString) {
        Slot arg, res;
        arg.s = v->value.s;
        res.f = 0;
        kBuiltins[FindBuiltin("STRTOFLOAT")].fn(vm, &arg, &res);
        if (vm.failed) return false;
        f = res.f;
      } else {
        f = static_cast<double>(v->value.i);
      }
      out.f = kind == SK_SINGLE ? static_cast<double>(static_cast<float>(f)) : f;
      return true;
    }
  }
}

bool VariantToString(TExecImpl& vm, const Var* v, std::string& out) {
  if (!v || v->vtype == varEmpty) {
    out.clear();
    return true;
  }
  switch (v->vtype) {
    case varNull: vm.Fail(erNullVariantError, "Could not convert variant of type (Null)"); return false;
    case varString: out = std::string(View(v->value.s)); return true;
    case varSingle:
    case varDouble: out = FormatFloat(v->value.f); return true;
    case varBoolean: out = FormatBool(v->value.i != 0); return true;
    case varChar: out = std::string(1, static_cast<char>(v->value.i)); return true;
    default: out = std::to_string(v->value.i); return true;
  }
}

}  // namespace

void TExecImpl::ResetRun() {
  while (frameCount > 0) {
    ReleaseFrame(frames[static_cast<size_t>(frameCount - 1)]);
    --frameCount;
  }
  handlers.clear();
  globals = nullptr;
}

void TExecImpl::Unload() {
  ResetRun();
  for (Str* s : constStrings) Release(s);
  constStrings.clear();
  program = TProgram();
  bindings.clear();
  status = TExecStatus::NotLoaded;
}

bool TExecImpl::Bind() {
  bindings.assign(program.imports.size(), nullptr);
  for (size_t i = 0; i < program.imports.size(); ++i) {
    auto it = natives.find(program.imports[i].name);
    if (it != natives.end()) bindings[i] = std::make_shared<TNativeFunction>(it->second);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// the interpreter

// NOTE: under the fuzzing build, coverage instrumentation is left out of the interpreter loop: its
// per-comparison callbacks made step-limited runs too slow to fuzz; the sanitizers stay on.
#if defined(__clang__)
__attribute__((no_sanitize("coverage")))
#endif
bool TExecImpl::Execute() {
  const std::vector<TFunction>& funcs = program.functions;
  Frame* const F = frames.data();
  Frame* fr = F + frameCount - 1;
  const TFunction* fn = fr->fn;
  Slot* base = fr->base;
  const Instr* code = fn->code.data();
  const Instr* pc = fr->pc;
  Slot* G = globals;
  Slot* chunkEnd = chunks[fr->chunk].slots.get() + chunks[fr->chunk].size;
  int64_t steps = stepsLeft;
  Slot scratch;
  scratch.i = 0;

  static const void* const kLabels[OP_COUNT] = {
#define SCRIPT_OP_LABEL(name, operands, meaning) &&L_##name,
      SCRIPT_OPCODES(SCRIPT_OP_LABEL)
#undef SCRIPT_OP_LABEL
  };

#define R(x) base[(x)]
// Steps are charged when control leaves a straight run of instructions (a taken jump, a call, a
// return): the run's length is counted then, so the count is exact without a per-instruction
// decrement. Every loop and every recursion passes through such a transfer.
#define CHARGE() (steps -= (pc - blockStart) + 1)
#define NEXT()             \
  do {                     \
    ++pc;                  \
    goto* kLabels[pc->op]; \
  } while (0)
#define JUMP(target)                \
  do {                              \
    CHARGE();                       \
    if (steps < 0) goto step_limit; \
    pc = code + (target);           \
    blockStart = pc;                \
    goto* kLabels[pc->op];          \
  } while (0)
#define RAISE(kind, message) \
  do {                       \
    Fail(kind, message);     \
    goto raise;              \
  } while (0)

  const Instr* blockStart = pc;
  goto* kLabels[pc->op];

L_NOP:
L_EXTRA:
  NEXT();
L_MOV:
  R(pc->a) = R(pc->b);
  NEXT();
L_MOVM: {
  HeapObj* o = R(pc->b).o;
  Retain(o);
  Release(R(pc->a).o);
  R(pc->a).o = o;
  NEXT();
}
L_LOADI:
  R(pc->a).i = pc->b;
  NEXT();
L_LOADK:
  R(pc->a).i = program.ints[static_cast<size_t>(pc->b)];
  NEXT();
L_LOADF:
  R(pc->a).f = program.floats[static_cast<size_t>(pc->b)];
  NEXT();
L_LOADS: {
  Str* s = constStrings[static_cast<size_t>(pc->b)];
  Retain(s);
  Release(R(pc->a).o);
  R(pc->a).s = s;
  NEXT();
}
L_CLEAR:
  Release(R(pc->a).o);
  R(pc->a).o = nullptr;
  NEXT();
L_GETG:
  R(pc->a) = G[pc->b];
  NEXT();
L_GETGM: {
  HeapObj* o = G[pc->b].o;
  Retain(o);
  Release(R(pc->a).o);
  R(pc->a).o = o;
  NEXT();
}
L_SETG:
  G[pc->a] = R(pc->b);
  NEXT();
L_SETGM: {
  HeapObj* o = R(pc->b).o;
  Retain(o);
  Release(G[pc->a].o);
  G[pc->a].o = o;
  NEXT();
}

#define ARITH(name, expr)                                        \
  L_##name : {                                                   \
    uint64_t x = static_cast<uint64_t>(R(pc->b).i);              \
    uint64_t y = static_cast<uint64_t>(R(pc->c).i);              \
    (void)x;                                                     \
    (void)y;                                                     \
    R(pc->a).i = (expr);                                         \
    NEXT();                                                      \
  }
  ARITH(ADD_I, Wrap32(x + y))
  ARITH(SUB_I, Wrap32(x - y))
  ARITH(MUL_I, Wrap32(x * y))
  ARITH(ADD_U, WrapU32(x + y))
  ARITH(SUB_U, WrapU32(x - y))
  ARITH(MUL_U, WrapU32(x * y))
  ARITH(ADD_L, static_cast<int64_t>(x + y))
  ARITH(SUB_L, static_cast<int64_t>(x - y))
  ARITH(MUL_L, static_cast<int64_t>(x * y))
  ARITH(AND, static_cast<int64_t>(x & y))
  ARITH(OR, static_cast<int64_t>(x | y))
  ARITH(XOR, static_cast<int64_t>(x ^ y))
  ARITH(SHL_I, Wrap32(static_cast<uint32_t>(x) << (y & 31)))
  ARITH(SHL_U, WrapU32(static_cast<uint32_t>(x) << (y & 31)))
  ARITH(SHL_L, static_cast<int64_t>(x << (y & 63)))
  ARITH(SHR_I, Wrap32(static_cast<uint32_t>(x) >> (y & 31)))
  ARITH(SHR_U, WrapU32(static_cast<uint32_t>(x) >> (y & 31)))
  ARITH(SHR_L, static_cast<int64_t>(x >> (y & 63)))
#undef ARITH

L_DIV_I:
  if (R(pc->c).i == 0) RAISE(erDivideByZero, "");
  R(pc->a).i = Wrap32(static_cast<uint64_t>(R(pc->b).i / R(pc->c).i));
  NEXT();
L_MOD_I:
  if (R(pc->c).i == 0) RAISE(erDivideByZero, "");
  R(pc->a).i = R(pc->b).i % R(pc->c).i;
  NEXT();
L_DIV_U:
  if (R(pc->c).i == 0) RAISE(erDivideByZero, "");
  R(pc->a).i = WrapU32(static_cast<uint64_t>(R(pc->b).i) / static_cast<uint64_t>(R(pc->c).i));
  NEXT();
L_MOD_U:
  if (R(pc->c).i == 0) RAISE(erDivideByZero, "");
  R(pc->a).i = WrapU32(static_cast<uint64_t>(R(pc->b).i) % static_cast<uint64_t>(R(pc->c).i));
  NEXT();
L_DIV_L: {
  int64_t y = R(pc->c).i;
  if (y == 0) RAISE(erDivideByZero, "");
  R(pc->a).i = y == -1 ? static_cast<int64_t>(0 - static_cast<uint64_t>(R(pc->b).i)) : R(pc->b).i / y;
  NEXT();
}
L_MOD_L: {
  int64_t y = R(pc->c).i;
  if (y == 0) RAISE(erDivideByZero, "");
  R(pc->a).i = y == -1 ? 0 : R(pc->b).i % y;
  NEXT();
}
L_ADDK_I:
  R(pc->a).i = Wrap32(static_cast<uint64_t>(R(pc->b).i) + static_cast<uint64_t>(static_cast<int64_t>(pc->c)));
  NEXT();
L_SUBK_I:
  R(pc->a).i = Wrap32(static_cast<uint64_t>(R(pc->b).i) - static_cast<uint64_t>(static_cast<int64_t>(pc->c)));
  NEXT();
L_MULK_I:
  R(pc->a).i = Wrap32(static_cast<uint64_t>(R(pc->b).i) * static_cast<uint64_t>(static_cast<int64_t>(pc->c)));
  NEXT();
L_DIVK_I:
  if (pc->c == 0) RAISE(erDivideByZero, "");
  R(pc->a).i = Wrap32(static_cast<uint64_t>(R(pc->b).i / pc->c));
  NEXT();
L_MODK_I:
  if (pc->c == 0) RAISE(erDivideByZero, "");
  R(pc->a).i = R(pc->b).i % pc->c;
  NEXT();
L_NEG_I:
  R(pc->a).i = Wrap32(0 - static_cast<uint64_t>(R(pc->b).i));
  NEXT();
L_NEG_U:
  R(pc->a).i = WrapU32(0 - static_cast<uint64_t>(R(pc->b).i));
  NEXT();
L_NEG_L:
  R(pc->a).i = static_cast<int64_t>(0 - static_cast<uint64_t>(R(pc->b).i));
  NEXT();
L_NOT_I:
  R(pc->a).i = Wrap32(~static_cast<uint64_t>(R(pc->b).i));
  NEXT();
L_NOT_U:
  R(pc->a).i = WrapU32(~static_cast<uint64_t>(R(pc->b).i));
  NEXT();
L_NOT_L:
  R(pc->a).i = ~R(pc->b).i;
  NEXT();
L_NOTB:
  R(pc->a).i = R(pc->b).i == 0;
  NEXT();
L_CVT_S8:
  R(pc->a).i = static_cast<int8_t>(static_cast<uint8_t>(R(pc->b).i));
  NEXT();
L_CVT_U8:
  R(pc->a).i = static_cast<uint8_t>(R(pc->b).i);
  NEXT();
L_CVT_S16:
  R(pc->a).i = static_cast<int16_t>(static_cast<uint16_t>(R(pc->b).i));
  NEXT();
L_CVT_U16:
  R(pc->a).i = static_cast<uint16_t>(R(pc->b).i);
  NEXT();
L_CVT_S32:
  R(pc->a).i = Wrap32(static_cast<uint64_t>(R(pc->b).i));
  NEXT();
L_CVT_U32:
  R(pc->a).i = WrapU32(static_cast<uint64_t>(R(pc->b).i));
  NEXT();
L_ADD_F:
  R(pc->a).f = R(pc->b).f + R(pc->c).f;
  NEXT();
L_SUB_F:
  R(pc->a).f = R(pc->b).f - R(pc->c).f;
  NEXT();
L_MUL_F:
  R(pc->a).f = R(pc->b).f * R(pc->c).f;
  NEXT();
L_DIV_F:
  if (R(pc->c).f == 0.0) RAISE(erDivideByZero, "Floating point division by zero");
  R(pc->a).f = R(pc->b).f / R(pc->c).f;
  NEXT();
L_NEG_F:
  R(pc->a).f = -R(pc->b).f;
  NEXT();
L_I2F:
  R(pc->a).f = static_cast<double>(R(pc->b).i);
  NEXT();
L_F2S: {
  double v = R(pc->b).f;
  // Out-of-range values saturate to infinity, as the hardware conversion does.
  R(pc->a).f = std::isfinite(v) && std::fabs(v) > 3.4028234663852886e38 ? (v > 0 ? HUGE_VAL : -HUGE_VAL)
                                                                       : static_cast<double>(static_cast<float>(v));
  NEXT();
}
L_EQ:
  R(pc->a).i = R(pc->b).i == R(pc->c).i;
  NEXT();
L_NE:
  R(pc->a).i = R(pc->b).i != R(pc->c).i;
  NEXT();
L_LT:
  R(pc->a).i = R(pc->b).i < R(pc->c).i;
  NEXT();
L_LE:
  R(pc->a).i = R(pc->b).i <= R(pc->c).i;
  NEXT();
L_EQ_F:
  R(pc->a).i = R(pc->b).f == R(pc->c).f;
  NEXT();
L_NE_F:
  R(pc->a).i = R(pc->b).f != R(pc->c).f;
  NEXT();
L_LT_F:
  R(pc->a).i = R(pc->b).f < R(pc->c).f;
  NEXT();
L_LE_F:
  R(pc->a).i = R(pc->b).f <= R(pc->c).f;
  NEXT();
L_CMP_S: {
  std::string_view x = View(R(pc->b).s), y = View(R(pc->c).s);
  int c = x.compare(y);
  R(pc->a).i = c < 0 ? -1 : c > 0 ? 1 : 0;
  NEXT();
}
L_JMP:
  JUMP(pc->a);
L_JT:
  if (R(pc->a).i != 0) JUMP(pc->b);
  NEXT();
L_JF:
  if (R(pc->a).i == 0) JUMP(pc->b);
  NEXT();
#define CJUMP(name, cmp, rhs)                  \
  L_##name : if (R(pc->a).i cmp(rhs)) JUMP(pc->c); \
  NEXT();
  CJUMP(JEQ, ==, R(pc->b).i)
  CJUMP(JNE, !=, R(pc->b).i)
  CJUMP(JLT, <, R(pc->b).i)
  CJUMP(JLE, <=, R(pc->b).i)
  CJUMP(JGT, >, R(pc->b).i)
  CJUMP(JGE, >=, R(pc->b).i)
  CJUMP(JEQK, ==, static_cast<int64_t>(pc->b))
  CJUMP(JNEK, !=, static_cast<int64_t>(pc->b))
  CJUMP(JLTK, <, static_cast<int64_t>(pc->b))
  CJUMP(JLEK, <=, static_cast<int64_t>(pc->b))
  CJUMP(JGTK, >, static_cast<int64_t>(pc->b))
  CJUMP(JGEK, >=, static_cast<int64_t>(pc->b))
#undef CJUMP
L_FORI:
  if (R(pc->a).i < R(pc->b).i) {
    ++R(pc->a).i;
    JUMP(pc->c);
  }
  NEXT();
L_FORD:
  if (R(pc->a).i > R(pc->b).i) {
    --R(pc->a).i;
    JUMP(pc->c);
  }
  NEXT();

L_CONCAT: {
  Slot* dst = &R(pc->a);
  Str* x = R(pc->b).s;
  Str* y = R(pc->c).s;
  int64_t xl = StrLen(x), yl = StrLen(y);
  if (xl + yl > kMaxAllocation) RAISE(erOutOfMemory, "");
  if (yl == 0) {
    if (pc->a != pc->b) {
      Retain(x);
      Release(dst->o);
      dst->s = x;
    }
    NEXT();
  }
  if (pc->a == pc->b && x && x->rc == 1) {
    // s := s + t appends in place (amortized growth); t may be s itself.
    bool self = x == y;
    StrResize(dst, xl + yl);
    Str* s = dst->s;
    std::memcpy(s->data + xl, self ? s->data : y->data, static_cast<size_t>(yl));
    NEXT();
  }
  Str* s = AllocStr(xl + yl);
  if (xl) std::memcpy(s->data, x->data, static_cast<size_t>(xl));
  std::memcpy(s->data + xl, y->data, static_cast<size_t>(yl));
  s->len = static_cast<int32_t>(xl + yl);
  s->data[xl + yl] = '\0';
  Release(dst->o);
  dst->s = s;
  NEXT();
}
L_CONCATC: {
  Slot* dst = &R(pc->a);
  Str* x = R(pc->b).s;
  char ch = static_cast<char>(R(pc->c).i);
  int64_t xl = StrLen(x);
  if (xl + 1 > kMaxAllocation) RAISE(erOutOfMemory, "");
  if (pc->a == pc->b && (!x || x->rc == 1)) {
    StrResize(dst, xl + 1);
    dst->s->data[xl] = ch;
    NEXT();
  }
  Str* s = AllocStr(xl + 1);
  if (xl) std::memcpy(s->data, x->data, static_cast<size_t>(xl));
  s->data[xl] = ch;
  s->len = static_cast<int32_t>(xl + 1);
  s->data[xl + 1] = '\0';
  Release(dst->o);
  dst->s = s;
  NEXT();
}
L_CHRSTR: {
  char ch = static_cast<char>(R(pc->b).i);
  Str* s = NewStr(&ch, 1);
  Release(R(pc->a).o);
  R(pc->a).s = s;
  NEXT();
}
L_SLEN:
  R(pc->a).i = StrLen(R(pc->b).s);
  NEXT();
L_SCHAR: {
  Str* s = R(pc->b).s;
  int64_t i = R(pc->c).i;
  if (i < 1 || i > StrLen(s)) RAISE(erOutOfRange, "Index out of range");
  R(pc->a).i = static_cast<unsigned char>(s->data[i - 1]);
  NEXT();
}
L_SSETC: {
  Slot* sp = R(pc->a).r;
  int64_t i = R(pc->b).i;
  int32_t len = StrLen(sp->s);
  if (i < 1 || i > len) RAISE(erOutOfRange, "Index out of range");
  StrResize(sp, len);  // makes the string unique
  sp->s->data[i - 1] = static_cast<char>(R(pc->c).i);
  NEXT();
}
L_ALEN: {
  Arr* a = R(pc->b).a;
  R(pc->a).i = a ? a->len : 0;
  NEXT();
}
#define ELEMENT(arrExpr, idxExpr)                                              \
  Arr* arr = (arrExpr);                                                        \
  int64_t idx = (idxExpr);                                                     \
  if (!arr || idx < 0 || idx >= arr->len) RAISE(erOutOfRange, "Index out of range"); \
  Slot* el = arr->data + idx * arr->layout->slots;
L_AGET: {
  ELEMENT(R(pc->b).a, R(pc->c).i)
  R(pc->a) = *el;
  NEXT();
}
L_AGETM: {
  ELEMENT(R(pc->b).a, R(pc->c).i)
  HeapObj* o = el->o;
  Retain(o);
  Release(R(pc->a).o);
  R(pc->a).o = o;
  NEXT();
}
L_ASET: {
  ELEMENT(R(pc->a).a, R(pc->b).i)
  *el = R(pc->c);
  NEXT();
}
L_ASETM: {
  ELEMENT(R(pc->a).a, R(pc->b).i)
  HeapObj* o = R(pc->c).o;
  Retain(o);
  Release(el->o);
  el->o = o;
  NEXT();
}
L_AREF: {
  ELEMENT(R(pc->b).a, R(pc->c).i)
  R(pc->a).r = el;
  NEXT();
}
#undef ELEMENT
L_REFL:
  R(pc->a).r = base + pc->b;
  NEXT();
L_REFG:
  R(pc->a).r = G + pc->b;
  NEXT();
L_REFIDX: {
  const Instr& x = pc[1];
  int64_t idx = R(pc->c).i - x.a;
  if (idx < 0 || idx >= x.b) RAISE(erOutOfRange, "Index out of range");
  R(pc->a).r = R(pc->b).r + idx * x.c;
  ++pc;
  NEXT();
}
L_REFFLD:
  R(pc->a).r = R(pc->b).r + pc->c;
  NEXT();
L_LDR:
  R(pc->a) = *R(pc->b).r;
  NEXT();
L_LDRM: {
  HeapObj* o = R(pc->b).r->o;
  Retain(o);
  Release(R(pc->a).o);
  R(pc->a).o = o;
  NEXT();
}
L_STR:
  *R(pc->a).r = R(pc->b);
  NEXT();
L_STRM: {
  Slot* dst = R(pc->a).r;
  HeapObj* o = R(pc->b).o;
  Retain(o);
  Release(dst->o);
  dst->o = o;
  NEXT();
}
L_COPYR: {
  Slot* dst = R(pc->a).r;
  Slot* src = R(pc->b).r;
  const TLayout& layout = program.layouts[static_cast<size_t>(pc->c)];
  if (dst != src) {
    for (int32_t m : layout.managed) Retain(src[m].o);
    for (int32_t m : layout.managed) Release(dst[m].o);
    std::memmove(dst, src, static_cast<size_t>(layout.slots) * sizeof(Slot));
  }
  NEXT();
}
// Sets: four slots of 64 bits at a reference, member v at bit v % 64 of slot v / 64.
#define SET_MEMBER(set, v) (((set)[(v) >> 6].i >> ((v)&63)) & 1)
L_SETK: {
  Slot* dst = R(pc->a).r;
  const int64_t* k = program.ints.data() + pc->b;
  for (int w = 0; w < 4; ++w) dst[w].i = k[w];
  NEXT();
}
L_SETINC: {
  uint64_t v = static_cast<uint64_t>(R(pc->b).i);
  if (v <= 255) R(pc->a).r[v >> 6].i |= static_cast<int64_t>(uint64_t{1} << (v & 63));
  NEXT();
}
L_SETEXC: {
  uint64_t v = static_cast<uint64_t>(R(pc->b).i);
  if (v <= 255) R(pc->a).r[v >> 6].i &= ~static_cast<int64_t>(uint64_t{1} << (v & 63));
  NEXT();
}
L_SETRNG: {
  Slot* dst = R(pc->a).r;
  int64_t lo = std::max<int64_t>(R(pc->b).i, 0);
  int64_t hi = std::min<int64_t>(R(pc->c).i, 255);
  for (int64_t v = lo; v <= hi; ++v) dst[v >> 6].i |= static_cast<int64_t>(uint64_t{1} << (v & 63));
  NEXT();
}
#define SETOP(name, expr)                                              \
  L_##name : {                                                         \
    Slot* dst = R(pc->a).r;                                            \
    const Slot* x = R(pc->b).r;                                        \
    const Slot* y = R(pc->c).r;                                        \
    for (int w = 0; w < 4; ++w) {                                      \
      uint64_t p = static_cast<uint64_t>(x[w].i), q = static_cast<uint64_t>(y[w].i); \
      dst[w].i = static_cast<int64_t>(expr);                           \
    }                                                                  \
    NEXT();                                                            \
  }
  SETOP(SETUNI, p | q)
  SETOP(SETDIF, p & ~q)
  SETOP(SETINT, p & q)
#undef SETOP
L_SETEQ: {
  const Slot* x = R(pc->b).r;
  const Slot* y = R(pc->c).r;
  R(pc->a).i = x[0].i == y[0].i && x[1].i == y[1].i && x[2].i == y[2].i && x[3].i == y[3].i;
  NEXT();
}
L_SETLE: {
  const Slot* x = R(pc->b).r;
  const Slot* y = R(pc->c).r;
  R(pc->a).i = ((x[0].i & ~y[0].i) | (x[1].i & ~y[1].i) | (x[2].i & ~y[2].i) | (x[3].i & ~y[3].i)) == 0;
  NEXT();
}
L_SETIN: {
  uint64_t v = static_cast<uint64_t>(R(pc->b).i);
  R(pc->a).i = v <= 255 && SET_MEMBER(R(pc->c).r, v);
  NEXT();
}
L_SETINK: {
  uint64_t v = static_cast<uint64_t>(R(pc->b).i);
  R(pc->a).i = v <= 255 && ((program.ints[static_cast<size_t>(pc->c) + (v >> 6)] >> (v & 63)) & 1);
  NEXT();
}
#undef SET_MEMBER

L_CALL: {
  const TFunction* callee = &funcs[static_cast<size_t>(pc->a)];
  if (fr - F >= maxDepth) RAISE(erOutOfStackRange, "Stack overflow");
  CHARGE();
  if (steps < 0) goto step_limit;
  Slot* args = base + pc->b;
  Slot* nb = base + fn->frameSize;
  uint32_t ci = fr->chunk;
  if (nb + callee->frameSize > chunkEnd) {
    ci = NextChunk(ci, static_cast<size_t>(callee->frameSize));
    nb = chunks[ci].slots.get();
    chunkEnd = nb + chunks[ci].size;
  }
  const int32_t params = callee->paramSlots;
  for (int32_t k = 0; k < params; ++k) nb[k] = args[k];
  if (callee->managedParams) {
    for (int32_t m : callee->managed) {
      if (m >= params) break;
      args[m].o = nullptr;  // moved into the callee
    }
  }
  for (int32_t k = params, end = callee->frameSize; k < end; ++k) nb[k].i = 0;
  fr->pc = pc + 1;
  ++fr;
  *fr = Frame{callee, nb, nullptr, pc->c, ci};
  fn = callee;
  base = nb;
  code = fn->code.data();
  pc = code;
  blockStart = pc;
  goto* kLabels[pc->op];
}
L_RET: {
  CHARGE();
  if (steps < 0) goto step_limit;
  if (!handlers.empty()) {
    while (!handlers.empty() && handlers.back().frame >= static_cast<int32_t>(fr - F)) handlers.pop_back();
  }
  if (fr == F) {
    ReleaseFrame(*fr);
    frameCount = 0;
    globals = nullptr;
    stepsLeft = steps;
    status = TExecStatus::Loaded;
    return true;
  }
  Frame& caller = fr[-1];
  if (fn->resultSlots > 0 && fr->retDst >= 0) {
    Slot* res = base + fn->paramSlots;
    Slot* out = caller.base + fr->retDst;
    if (!fn->managedResult) {
      out[0] = res[0];
      for (int32_t k = 1; k < fn->resultSlots; ++k) out[k] = res[k];
    } else {
      for (int32_t k = 0; k < fn->resultSlots; ++k) {
        if (fn->slotKinds[static_cast<size_t>(fn->paramSlots + k)]) {
          Release(out[k].o);
          out[k] = res[k];
          res[k].o = nullptr;
        } else {
          out[k] = res[k];
        }
      }
    }
  }
  if (!fn->managed.empty()) ReleaseFrame(*fr);
  uint32_t doneChunk = fr->chunk;
  --fr;
  fn = fr->fn;
  base = fr->base;
  code = fn->code.data();
  pc = fr->pc;
  blockStart = pc;
  if (fr->chunk != doneChunk) chunkEnd = chunks[fr->chunk].slots.get() + chunks[fr->chunk].size;
  goto* kLabels[pc->op];
}
L_CALLN: {
  // 0: continue, 1: error raised, 2: paused or abandoned (return)
  int outcome;
  {
    std::shared_ptr<TNativeFunction> binding = bindings[static_cast<size_t>(pc->a)];
    if (!binding) {
      Fail(erCouldNotCallProc, program.imports[static_cast<size_t>(pc->a)].name);
      outcome = 1;
    } else {
      TNativeCall call;
      call.exec_ = owner;
      call.args_ = base + pc->b;
      call.result_ = pc->c >= 0 ? &R(pc->c) : nullptr;
      call.import_ = &program.imports[static_cast<size_t>(pc->a)];
      fr->pc = pc;
      frameCount = static_cast<int32_t>(fr - F) + 1;
      CHARGE();
      blockStart = pc + 1;
      stepsLeft = steps;
      (*binding)(call);
      steps = stepsLeft;
      outcome = failed ? 1 : status != TExecStatus::Running ? 2 : 0;
    }
  }
  if (outcome == 1) goto raise;
  if (outcome == 2) {
    // Paused during the call (the run continues after it), or set back to loaded.
    if (status == TExecStatus::Paused) {
      fr->pc = pc + 1;
      stepsLeft = steps;
      return true;
    }
    ResetRun();
    return true;
  }
  NEXT();
}
L_CALLB: {
  Slot* dst = pc->c >= 0 ? &R(pc->c) : &scratch;
  kBuiltins[pc->a].fn(*this, base + pc->b, dst);
  if (failed) goto raise;
  NEXT();
}
L_TRYX:
  handlers.push_back(Handler{static_cast<int32_t>(fr - F), pc->a, -1, pc->b});
  NEXT();
L_TRYF:
  handlers.push_back(Handler{static_cast<int32_t>(fr - F), pc->a, pc->b, pc->c});
  NEXT();
L_POPTRY:
  if (handlers.empty() || handlers.back().frame != static_cast<int32_t>(fr - F)) {
    RAISE(erInternalError, "");
  }
  handlers.pop_back();
  NEXT();
L_ENDFIN: {
  int64_t state = R(pc->a).i;
  if (state == 0) NEXT();
  if (state == 1) {
    // Re-raise the exception that entered the finally block, from where it was raised.
    int32_t kind = static_cast<int32_t>(R(pc->a + 1).i);
    Fail(kind, std::string(View(R(pc->a + 3).s)));
    raisePos = R(pc->a + 2).i;
    goto raise;
  }
  if (state < 2 || state >= pc->b) RAISE(erInternalError, "");
  JUMP(static_cast<int32_t>(pc - code) + static_cast<int32_t>(state));
}
L_TOVAR: {
  Var* v = NewVar(pc->c);
  v->value = R(pc->b);
  Release(R(pc->a).o);
  R(pc->a).v = v;
  NEXT();
}
L_TOVARS: {
  Var* v = NewVar(varString);
  v->value.s = R(pc->b).s;
  Retain(v->value.o);
  Release(R(pc->a).o);
  R(pc->a).v = v;
  NEXT();
}
L_FROMVAR: {
  Slot out;
  if (!VariantToScalar(*this, R(pc->b).v, pc->c, out)) goto raise;
  R(pc->a) = out;
  NEXT();
}
L_FROMVARS: {
  bool ok;
  {
    std::string text;
    ok = VariantToString(*this, R(pc->b).v, text);
    if (ok) {
      Str* s = NewStr(text.data(), static_cast<int64_t>(text.size()));
      Release(R(pc->a).o);
      R(pc->a).s = s;
    }
  }
  if (!ok) goto raise;
  NEXT();
}

step_limit:
  fatal = true;
  Fail(erCustomError, "Step limit exceeded");
  steps = 0;
  goto raise;

raise : {
  // A run-time error: find the innermost handler, unwinding frames up to it.
  int32_t kind = failKind;
  failed = false;
  int64_t pos = raisePos;
  raisePos = -1;
  size_t at = static_cast<size_t>(pc - code);
  if (pos < 0) {
    int64_t line = at < fn->lines.size() ? fn->lines[at] : 0;
    int64_t col = at < fn->cols.size() ? fn->cols[at] : 0;
    pos = (line << 32) | col;
  }
  int32_t proc = static_cast<int32_t>(fn - funcs.data());
  frameCount = static_cast<int32_t>(fr - F) + 1;
  while (!handlers.empty() && handlers.back().frame >= frameCount) handlers.pop_back();
  if (fatal || handlers.empty()) {
    error.kind = kind;
    error.message = ExceptionText(kind, failMessage);
    error.line = static_cast<int>(pos >> 32);
    error.col = static_cast<int>(pos & 0xFFFFFFFF);
    fatal = false;
    ResetRun();
    stepsLeft = steps;
    status = TExecStatus::Loaded;
    return false;
  }
  Handler h = handlers.back();
  handlers.pop_back();
  while (fr - F > h.frame) {
    ReleaseFrame(*fr);
    --fr;
  }
  frameCount = static_cast<int32_t>(fr - F) + 1;
  fn = fr->fn;
  base = fr->base;
  code = fn->code.data();
  chunkEnd = chunks[fr->chunk].slots.get() + chunks[fr->chunk].size;
  // Temporaries that were live where the error happened are released.
  for (int32_t m : fn->managed) {
    if (m >= h.tempTop) {
      Release(base[m].o);
      base[m].o = nullptr;
    }
  }
  if (h.pending >= 0) {
    R(h.pending).i = 1;
    R(h.pending + 1).i = kind;
    R(h.pending + 2).i = pos;
    Str* s = NewStr(failMessage.data(), static_cast<int64_t>(failMessage.size()));
    Release(R(h.pending + 3).o);
    R(h.pending + 3).s = s;
  } else {
    exKind = kind;
    exParam = failMessage;
    exProc = proc;
    exPos = static_cast<int32_t>(pos & 0xFFFFFFFF);
  }
  pc = code + h.pc;
  blockStart = pc;
  goto* kLabels[pc->op];
}
#undef CHARGE
#undef R
#undef NEXT
#undef JUMP
#undef RAISE
}

uint32_t TExecImpl::NextChunk(uint32_t current, size_t need) {
  uint32_t next = current + 1;
  if (next < chunks.size() && chunks[next].size >= need) return next;
  StackChunk chunk;
  chunk.size = std::max(kChunkSlots, need);
  chunk.slots.reset(new Slot[chunk.size]);
  if (next < chunks.size()) {
    // Too small for this frame: frames above `current` are gone, so it can be replaced.
    chunks[next] = std::move(chunk);
  } else {
    chunks.push_back(std::move(chunk));
  }
  return next;
}

// ---------------------------------------------------------------------------------------------
// TScriptExec

std::string TRuntimeError::Text() const {
  return std::to_string(line) + ":" + std::to_string(col) + ": " + message;
}

TScriptExec::TScriptExec() : impl_(std::make_unique<TExecImpl>()) { impl_->owner = this; }

TScriptExec::~TScriptExec() { impl_->Unload(); }

void TScriptExec::RegisterFunction(const std::string& upperName, TNativeFunction function) {
  impl_->natives[upperName] = function;
  for (size_t i = 0; i < impl_->program.imports.size(); ++i) {
    if (impl_->program.imports[i].name == upperName) {
      impl_->bindings[i] = std::make_shared<TNativeFunction>(function);
    }
  }
}

bool TScriptExec::LoadData(const std::string& bytes) {
  TExecImpl& e = *impl_;
  if (e.status == TExecStatus::Running || e.status == TExecStatus::Paused || e.inExecute) {
    e.error = TRuntimeError{erInternalError, "Cannot load while a run is in progress", 0, 0};
    return false;
  }
  e.Unload();
  std::string reason;
  if (!ReadProgram(bytes, e.program, reason)) {
    e.program = TProgram();
    e.error = TRuntimeError{erInvalidHeader, reason, 0, 0};
    return false;
  }
  for (const std::string& s : e.program.strings) {
    e.constStrings.push_back(NewStr(s.data(), static_cast<int64_t>(s.size())));
  }
  e.Bind();
  e.status = TExecStatus::Loaded;
  e.error = TRuntimeError();
  return true;
}

bool TScriptExec::Run() {
  TExecImpl& e = *impl_;
  if (e.inExecute || (e.status != TExecStatus::Loaded && e.status != TExecStatus::Paused)) return false;
  e.stepsLeft = e.stepLimit;
  if (e.status == TExecStatus::Loaded) {
    const TFunction& main = e.program.functions[0];
    if (e.chunks.empty() || e.chunks[0].size < static_cast<size_t>(main.frameSize)) {
      StackChunk chunk;
      // The first chunk is small: most scripts never call deeply, and executors are pooled.
      chunk.size = std::max<size_t>(1024, static_cast<size_t>(main.frameSize) + 64);
      chunk.slots.reset(new Slot[chunk.size]);
      if (e.chunks.empty()) {
        e.chunks.push_back(std::move(chunk));
      } else {
        e.chunks[0] = std::move(chunk);
      }
    }
    Slot* base = e.chunks[0].slots.get();
    std::memset(base, 0, static_cast<size_t>(main.frameSize) * sizeof(Slot));
    // The frame stack is sized once for the deepest allowed call chain.
    if (e.frames.size() < static_cast<size_t>(e.maxDepth) + 2) e.frames.resize(static_cast<size_t>(e.maxDepth) + 2);
    e.frames[0] = Frame{&main, base, main.code.data(), -1, 0};
    e.frameCount = 1;
    e.handlers.clear();
    e.globals = base;
    e.exKind = erNoError;
    e.exParam.clear();
    e.failed = false;
    e.fatal = false;
  }
  e.status = TExecStatus::Running;
  e.error = TRuntimeError();
  e.inExecute = true;
  bool ok;
  try {
    ok = e.Execute();
  } catch (const std::bad_alloc&) {
    e.ResetRun();
    e.status = TExecStatus::Loaded;
    e.error = TRuntimeError{erOutOfMemory, "Out of memory", 0, 0};
    ok = false;
  }
  e.inExecute = false;
  return ok;
}

TExecStatus TScriptExec::Status() const { return impl_->status; }

void TScriptExec::Pause() {
  if (impl_->status == TExecStatus::Running) impl_->status = TExecStatus::Paused;
}

void TScriptExec::SetLoaded() {
  TExecImpl& e = *impl_;
  if (e.status != TExecStatus::Paused) return;
  e.status = TExecStatus::Loaded;
  // Inside a native call of this executor the interpreter releases the run when the call returns.
  if (!e.inExecute) e.ResetRun();
}

const TRuntimeError& TScriptExec::LastError() const { return impl_->error; }

void TScriptExec::SetStepLimit(int64_t steps) { impl_->stepLimit = steps; }

void TScriptExec::SetMaxCallDepth(int depth) { impl_->maxDepth = depth < 1 ? 1 : depth; }

// ---------------------------------------------------------------------------------------------
// TNativeCall

namespace {

const TImport& ImportOf(const void* p) { return *static_cast<const TImport*>(p); }
Slot* SlotsOf(void* p) { return static_cast<Slot*>(p); }

bool IsFloatType(TScriptType t) { return t == TScriptType::Single || t == TScriptType::Double; }

int64_t WrapTo(TScriptType t, int64_t v) {
  switch (t) {
    case TScriptType::Integer: return static_cast<int32_t>(static_cast<uint32_t>(v));
    case TScriptType::Cardinal: return static_cast<uint32_t>(v);
    case TScriptType::Word: return static_cast<uint16_t>(v);
    case TScriptType::Byte:
    case TScriptType::Char: return static_cast<uint8_t>(v);
    case TScriptType::ShortInt: return static_cast<int8_t>(static_cast<uint8_t>(v));
    case TScriptType::SmallInt: return static_cast<int16_t>(static_cast<uint16_t>(v));
    case TScriptType::Boolean: return v != 0;
    default: return v;
  }
}

}  // namespace

int TNativeCall::Count() const { return static_cast<int>(ImportOf(import_).params.size()); }

TScriptType TNativeCall::ParamType(int index) const {
  const TImport& imp = ImportOf(import_);
  if (index < 0 || index >= static_cast<int>(imp.params.size())) return TScriptType::Void;
  return imp.params[static_cast<size_t>(index)];
}

TScriptType TNativeCall::ResultType() const { return ImportOf(import_).result; }

int64_t TNativeCall::Int(int index) const {
  TScriptType t = ParamType(index);
  if (t == TScriptType::Void || t == TScriptType::String) return 0;
  const Slot& s = SlotsOf(args_)[index];
  if (IsFloatType(t)) {
    double f = s.f;
    return (f >= -9.2e18 && f <= 9.2e18) ? static_cast<int64_t>(f) : 0;
  }
  return s.i;
}

double TNativeCall::Float(int index) const {
  TScriptType t = ParamType(index);
  if (t == TScriptType::Void || t == TScriptType::String) return 0.0;
  const Slot& s = SlotsOf(args_)[index];
  return IsFloatType(t) ? s.f : static_cast<double>(s.i);
}

bool TNativeCall::Bool(int index) const {
  TScriptType t = ParamType(index);
  if (t == TScriptType::String) return !Str(index).empty();
  return IsFloatType(t) ? Float(index) != 0.0 : Int(index) != 0;
}

std::string_view TNativeCall::Str(int index) const {
  TScriptType t = ParamType(index);
  const Slot& s = SlotsOf(args_)[index];
  if (t == TScriptType::String) return View(s.s);
  if (t == TScriptType::Char) return std::string_view(reinterpret_cast<const char*>(&s.i), 1);
  return {};
}

void TNativeCall::ReturnInt(int64_t value) {
  if (!result_) return;
  Slot* r = static_cast<Slot*>(result_);
  TScriptType t = ResultType();
  if (IsFloatType(t)) {
    ReturnFloat(static_cast<double>(value));
  } else if (t == TScriptType::String) {
    ReturnStr(std::to_string(value));
  } else {
    r->i = WrapTo(t, value);
  }
}

void TNativeCall::ReturnFloat(double value) {
  if (!result_) return;
  Slot* r = static_cast<Slot*>(result_);
  TScriptType t = ResultType();
  if (t == TScriptType::Single) {
    r->f = static_cast<double>(static_cast<float>(value));
  } else if (t == TScriptType::Double) {
    r->f = value;
  } else if (t == TScriptType::String) {
    ReturnStr(FormatFloat(value));
  } else {
    ReturnInt((value >= -9.2e18 && value <= 9.2e18) ? static_cast<int64_t>(value) : 0);
  }
}

void TNativeCall::ReturnBool(bool value) { ReturnInt(value ? 1 : 0); }

void TNativeCall::ReturnStr(std::string_view value) {
  if (!result_) return;
  Slot* r = static_cast<Slot*>(result_);
  if (ResultType() != TScriptType::String) return;
  int64_t len = static_cast<int64_t>(std::min<size_t>(value.size(), static_cast<size_t>(kMaxAllocation)));
  script::Str* s = NewStr(value.data(), len);
  Release(r->o);
  r->s = s;
}

void TNativeCall::Fail(const std::string& message) { exec_->impl_->Fail(erCouldNotCallProc, message); }

}  // namespace script
