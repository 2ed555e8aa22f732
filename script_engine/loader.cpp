// The compiled-program format and its validating reader.
#include "script_engine/loader.h"

#include <array>
#include <cstring>

#include "script_engine/stdlib.h"

namespace script {

namespace {

constexpr char kMagic[4] = {'T', 'S', 'B', 'C'};
constexpr size_t kHeaderSize = 16;  // magic, version, flags, payload size, checksum
constexpr int64_t kMaxSlots = 1 << 20;

// CRC-32 (the zlib polynomial), four bytes per step: any change of one byte changes the sum.
constexpr std::array<std::array<uint32_t, 256>, 4> MakeCrcTables() {
  std::array<std::array<uint32_t, 256>, 4> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i) {
    for (int k = 1; k < 4; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
  return t;
}
constexpr std::array<std::array<uint32_t, 256>, 4> kCrc = MakeCrcTables();

uint32_t Crc32(const char* data, size_t size) {
  uint32_t c = 0xFFFFFFFFu;
  const auto* p = reinterpret_cast<const uint8_t*>(data);
  while (size >= 4) {
    c ^= static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
    c = kCrc[3][c & 0xFF] ^ kCrc[2][(c >> 8) & 0xFF] ^ kCrc[1][(c >> 16) & 0xFF] ^ kCrc[0][c >> 24];
    p += 4;
    size -= 4;
  }
  while (size--) c = kCrc[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

class Writer {
 public:
  void U8(uint8_t v) { out.push_back(static_cast<char>(v)); }
  void U32(uint32_t v) {
    char b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>(v >> (8 * i));
    out.append(b, 4);
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void U64(uint64_t v) {
    char b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<char>(v >> (8 * i));
    out.append(b, 8);
  }
  void Str(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    out += s;
  }
  // One instruction with its source position: 21 bytes.
  void Code(const Instr& in, int32_t line, int32_t col) {
    char b[21];
    b[0] = static_cast<char>(in.op);
    const int32_t words[5] = {in.a, in.b, in.c, line, col};
    for (int w = 0; w < 5; ++w) {
      uint32_t v = static_cast<uint32_t>(words[w]);
      for (int i = 0; i < 4; ++i) b[1 + 4 * w + i] = static_cast<char>(v >> (8 * i));
    }
    out.append(b, sizeof b);
  }
  std::string out;
};

class Reader {
 public:
  Reader(const char* data, size_t size) : p_(data), end_(data + size) {}
  bool ok = true;
  size_t Left() const { return static_cast<size_t>(end_ - p_); }
  uint8_t U8() {
    if (p_ >= end_) {
      ok = false;
      return 0;
    }
    return static_cast<uint8_t>(*p_++);
  }
  uint32_t U32() {
    if (Left() < 4) {
      ok = false;
      p_ = end_;
      return 0;
    }
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(p_[i])) << (8 * i);
    p_ += 4;
    return v;
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  uint64_t U64() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(U8()) << (8 * i);
    return v;
  }
  std::string Str() {
    uint32_t n = U32();
    if (!ok || n > Left()) {
      ok = false;
      return {};
    }
    std::string s(p_, n);
    p_ += n;
    return s;
  }
  // A count of items of at least `minSize` bytes each that the rest of the input can hold.
  bool Count(uint32_t& n, size_t minSize) {
    n = U32();
    if (!ok || static_cast<uint64_t>(n) * minSize > Left()) ok = false;
    return ok;
  }

 private:
  const char* p_;
  const char* end_;
};

// Kinds of slots that a call's argument or result run must have.
bool RunMatches(const TFunction& fn, int32_t start, const std::vector<uint8_t>& kinds) {
  if (start < 0 || static_cast<int64_t>(start) + static_cast<int64_t>(kinds.size()) > fn.frameSize) return false;
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (fn.slotKinds[static_cast<size_t>(start) + i] != kinds[i]) return false;
  }
  return true;
}

uint8_t KindOfNative(TScriptType t) { return t == TScriptType::String ? 1 : 0; }

bool ValidateFunction(const TProgram& prog, size_t index, std::string& reason) {
  const TFunction& fn = prog.functions[index];
  const TFunction& main = prog.functions[0];
  auto fail = [&](const std::string& what, size_t at) {
    reason = "invalid code in routine " + std::to_string(index) + " at " + std::to_string(at) + ": " + what;
    return false;
  };
  size_t n = fn.code.size();
  if (n == 0) return fail("empty routine", 0);
  Opcode last = static_cast<Opcode>(fn.code[n - 1].op);
  if (last != OP_RET && last != OP_JMP) return fail("routine does not end with a return or jump", n - 1);
  for (size_t at = 0; at < n; ++at) {
    const Instr& in = fn.code[at];
    if (in.op >= OP_COUNT) return fail("unknown opcode", at);
    const char* kinds = kOpcodeOperands[in.op];
    const int32_t operands[3] = {in.a, in.b, in.c};
    if (in.op == OP_EXTRA) {
      if (at == 0 || fn.code[at - 1].op != OP_REFIDX) return fail("stray extra operands", at);
      if (in.b <= 0 || in.c <= 0 || static_cast<int64_t>(in.b) * in.c > kMaxSlots) return fail("bad array shape", at);
      continue;
    }
    if (in.op == OP_REFIDX && (at + 1 >= n || fn.code[at + 1].op != OP_EXTRA)) return fail("missing extra operands", at);
    for (int k = 0; k < 3; ++k) {
      int32_t v = operands[k];
      switch (kinds[k]) {
        case 'R':
          if (v < 0 || v >= fn.frameSize || fn.slotKinds[static_cast<size_t>(v)] != 0) return fail("bad plain register", at);
          break;
        case 'M':
          if (v < 0 || v >= fn.frameSize || fn.slotKinds[static_cast<size_t>(v)] != 1) return fail("bad managed register", at);
          break;
        case 'J':
          if (v < 0 || static_cast<size_t>(v) >= n) return fail("bad jump target", at);
          break;
        case 'K':
          if (v < 0 || static_cast<size_t>(v) >= prog.ints.size()) return fail("bad constant", at);
          break;
        case 'F':
          if (v < 0 || static_cast<size_t>(v) >= prog.floats.size()) return fail("bad constant", at);
          break;
        case 'S':
          if (v < 0 || static_cast<size_t>(v) >= prog.strings.size()) return fail("bad constant", at);
          break;
        case 'G':
          if (v < 0 || v >= prog.globalSlots || main.slotKinds[static_cast<size_t>(v)] != 0) return fail("bad global", at);
          break;
        case 'H':
          if (v < 0 || v >= prog.globalSlots || main.slotKinds[static_cast<size_t>(v)] != 1) return fail("bad global", at);
          break;
        case 'P':
          if (v <= 0 || static_cast<size_t>(v) >= prog.functions.size()) return fail("bad routine", at);
          break;
        case 'N':
          if (v < 0 || static_cast<size_t>(v) >= prog.imports.size()) return fail("bad native", at);
          break;
        case 'B':
          if (v < 0 || v >= kBuiltinCount) return fail("bad built-in", at);
          break;
        case 'L':
          if (v < 0 || static_cast<size_t>(v) >= prog.layouts.size()) return fail("bad layout", at);
          break;
        default: break;
      }
    }
    switch (in.op) {
      case OP_SETK:
      case OP_SETINK: {
        // A set constant is four consecutive int constants.
        int32_t k = in.op == OP_SETK ? in.b : in.c;
        if (static_cast<size_t>(k) + 4 > prog.ints.size()) return fail("bad constant", at);
        break;
      }
      case OP_REFL:
        if (in.b < 0 || in.b >= fn.frameSize) return fail("bad slot", at);
        break;
      case OP_REFG:
        if (in.b < 0 || in.b >= prog.globalSlots) return fail("bad global", at);
        break;
      case OP_TRYX:
        if (in.b < 0 || in.b > fn.frameSize) return fail("bad try level", at);
        break;
      case OP_TRYF:
      case OP_ENDFIN: {
        int32_t p = in.op == OP_TRYF ? in.b : in.a;
        if (!RunMatches(fn, p, {0, 0, 0, 1})) return fail("bad finally state", at);
        if (in.op == OP_TRYF && (in.c < 0 || in.c > fn.frameSize)) return fail("bad try level", at);
        if (in.op == OP_ENDFIN && (in.b < 2 || at + static_cast<size_t>(in.b) > n)) return fail("bad finally table", at);
        break;
      }
      case OP_CALL: {
        const TFunction& callee = prog.functions[static_cast<size_t>(in.a)];
        std::vector<uint8_t> params(callee.slotKinds.begin(), callee.slotKinds.begin() + callee.paramSlots);
        if (!RunMatches(fn, in.b, params)) return fail("bad call arguments", at);
        if (in.c != -1) {
          std::vector<uint8_t> result(callee.slotKinds.begin() + callee.paramSlots,
                                      callee.slotKinds.begin() + callee.paramSlots + callee.resultSlots);
          if (callee.resultSlots == 0 || !RunMatches(fn, in.c, result)) return fail("bad call result", at);
        }
        break;
      }
      case OP_CALLN: {
        const TImport& imp = prog.imports[static_cast<size_t>(in.a)];
        std::vector<uint8_t> params;
        for (TScriptType t : imp.params) params.push_back(KindOfNative(t));
        if (!RunMatches(fn, in.b, params)) return fail("bad call arguments", at);
        if (in.c != -1 && (imp.result == TScriptType::Void || !RunMatches(fn, in.c, {KindOfNative(imp.result)}))) {
          return fail("bad call result", at);
        }
        break;
      }
      case OP_CALLB: {
        const Builtin& b = kBuiltins[in.a];
        std::vector<uint8_t> params;
        for (const char* p = b.params; *p; ++p) params.push_back((*p == 'S' || *p == 'V') ? 1 : 0);
        if (!RunMatches(fn, in.b, params)) return fail("bad call arguments", at);
        if (b.result == 'v') {
          if (in.c != -1) return fail("bad call result", at);
        } else {
          uint8_t k = (b.result == 'S' || b.result == 'V') ? 1 : 0;
          if (!RunMatches(fn, in.c, {k})) return fail("bad call result", at);
        }
        break;
      }
      default: break;
    }
  }
  return true;
}

}  // namespace

std::string WriteProgram(const TProgram& prog) {
  Writer w;
  size_t estimate = 256;
  for (const TFunction& fn : prog.functions) estimate += 64 + fn.slotKinds.size() + fn.code.size() * 21;
  w.out.reserve(estimate);
  w.I32(prog.globalSlots);
  w.U32(static_cast<uint32_t>(prog.ints.size()));
  for (int64_t v : prog.ints) w.U64(static_cast<uint64_t>(v));
  w.U32(static_cast<uint32_t>(prog.floats.size()));
  for (double v : prog.floats) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    w.U64(bits);
  }
  w.U32(static_cast<uint32_t>(prog.strings.size()));
  for (const std::string& s : prog.strings) w.Str(s);
  w.U32(static_cast<uint32_t>(prog.layouts.size()));
  for (const TLayout& l : prog.layouts) {
    w.I32(l.slots);
    w.U32(static_cast<uint32_t>(l.managed.size()));
    for (int32_t m : l.managed) w.I32(m);
  }
  w.U32(static_cast<uint32_t>(prog.imports.size()));
  for (const TImport& imp : prog.imports) {
    w.Str(imp.name);
    w.U8(static_cast<uint8_t>(imp.result));
    w.U32(static_cast<uint32_t>(imp.params.size()));
    for (TScriptType t : imp.params) w.U8(static_cast<uint8_t>(t));
  }
  w.U32(static_cast<uint32_t>(prog.functions.size()));
  for (const TFunction& fn : prog.functions) {
    w.Str(fn.name);
    w.I32(fn.paramSlots);
    w.I32(fn.resultSlots);
    w.I32(fn.frameSize);
    for (uint8_t k : fn.slotKinds) w.U8(k);
    w.U32(static_cast<uint32_t>(fn.code.size()));
    for (size_t i = 0; i < fn.code.size(); ++i) w.Code(fn.code[i], fn.lines[i], fn.cols[i]);
  }
  std::string out(kMagic, 4);
  Writer h;
  h.U8(static_cast<uint8_t>(kProgramFormatVersion & 0xFF));
  h.U8(static_cast<uint8_t>(kProgramFormatVersion >> 8));
  h.U8(0);
  h.U8(0);
  h.U32(static_cast<uint32_t>(w.out.size()));
  h.U32(Crc32(w.out.data(), w.out.size()));
  out += h.out;
  out += w.out;
  return out;
}

bool ReadProgram(const std::string& bytes, TProgram& prog, std::string& reason) {
  prog = TProgram();
  if (bytes.size() < kHeaderSize) {
    reason = "truncated program";
    return false;
  }
  if (std::memcmp(bytes.data(), kMagic, 4) != 0) {
    reason = "not a compiled script";
    return false;
  }
  Reader h(bytes.data() + 4, kHeaderSize - 4);
  uint16_t version = static_cast<uint16_t>(h.U8() | (h.U8() << 8));
  uint16_t flags = static_cast<uint16_t>(h.U8() | (h.U8() << 8));
  uint32_t size = h.U32();
  uint32_t crc = h.U32();
  if (version != kProgramFormatVersion) {
    reason = "unsupported format version " + std::to_string(version);
    return false;
  }
  if (flags != 0) {
    reason = "unknown format flags";
    return false;
  }
  if (size != bytes.size() - kHeaderSize) {
    reason = size > bytes.size() - kHeaderSize ? "truncated program" : "trailing bytes after program";
    return false;
  }
  const char* payload = bytes.data() + kHeaderSize;
  if (Crc32(payload, size) != crc) {
    reason = "bad checksum";
    return false;
  }
  Reader r(payload, size);
  auto bad = [&](const char* what) {
    reason = what;
    prog = TProgram();
    return false;
  };
  prog.globalSlots = r.I32();
  uint32_t n;
  if (!r.Count(n, 8)) return bad("truncated program");
  for (uint32_t i = 0; i < n; ++i) prog.ints.push_back(static_cast<int64_t>(r.U64()));
  if (!r.Count(n, 8)) return bad("truncated program");
  for (uint32_t i = 0; i < n; ++i) {
    uint64_t bits = r.U64();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    prog.floats.push_back(v);
  }
  if (!r.Count(n, 4)) return bad("truncated program");
  for (uint32_t i = 0; i < n && r.ok; ++i) prog.strings.push_back(r.Str());
  if (!r.Count(n, 8)) return bad("truncated program");
  for (uint32_t i = 0; i < n && r.ok; ++i) {
    TLayout l;
    l.slots = r.I32();
    uint32_t m;
    if (!r.Count(m, 4)) return bad("truncated program");
    if (l.slots < 1 || l.slots > kMaxSlots || m > static_cast<uint32_t>(l.slots)) return bad("bad layout");
    int32_t prev = -1;
    for (uint32_t k = 0; k < m; ++k) {
      int32_t off = r.I32();
      if (off <= prev || off >= l.slots) return bad("bad layout");
      prev = off;
      l.managed.push_back(off);
    }
    prog.layouts.push_back(std::move(l));
  }
  if (!r.Count(n, 9)) return bad("truncated program");
  for (uint32_t i = 0; i < n && r.ok; ++i) {
    TImport imp;
    imp.name = r.Str();
    uint8_t result = r.U8();
    if (result > static_cast<uint8_t>(TScriptType::String)) return bad("bad native declaration");
    imp.result = static_cast<TScriptType>(result);
    uint32_t np;
    if (!r.Count(np, 1)) return bad("truncated program");
    for (uint32_t k = 0; k < np; ++k) {
      uint8_t t = r.U8();
      if (t == 0 || t > static_cast<uint8_t>(TScriptType::String)) return bad("bad native declaration");
      imp.params.push_back(static_cast<TScriptType>(t));
    }
    prog.imports.push_back(std::move(imp));
  }
  if (!r.Count(n, 20)) return bad("truncated program");
  if (n == 0) return bad("no main routine");
  for (uint32_t i = 0; i < n && r.ok; ++i) {
    TFunction fn;
    fn.name = r.Str();
    fn.paramSlots = r.I32();
    fn.resultSlots = r.I32();
    fn.frameSize = r.I32();
    if (!r.ok) return bad("truncated program");
    if (fn.frameSize < 0 || fn.frameSize > kMaxSlots || fn.paramSlots < 0 || fn.resultSlots < 0 ||
        static_cast<int64_t>(fn.paramSlots) + fn.resultSlots > fn.frameSize) {
      return bad("bad routine frame");
    }
    if (static_cast<size_t>(fn.frameSize) > r.Left()) return bad("truncated program");
    fn.slotKinds.resize(static_cast<size_t>(fn.frameSize));
    for (int32_t k = 0; k < fn.frameSize; ++k) {
      uint8_t kind = r.U8();
      if (kind > 1) return bad("bad slot kind");
      fn.slotKinds[static_cast<size_t>(k)] = kind;
      if (kind) {
        fn.managed.push_back(k);
        if (k < fn.paramSlots) fn.managedParams = true;
        if (k >= fn.paramSlots && k < fn.paramSlots + fn.resultSlots) fn.managedResult = true;
      }
    }
    uint32_t nc;
    if (!r.Count(nc, 21)) return bad("truncated program");
    fn.code.resize(nc);
    fn.lines.resize(nc);
    fn.cols.resize(nc);
    for (uint32_t k = 0; k < nc; ++k) {
      Instr& in = fn.code[k];
      in.op = r.U8();
      in.a = r.I32();
      in.b = r.I32();
      in.c = r.I32();
      fn.lines[k] = r.I32();
      fn.cols[k] = r.I32();
    }
    prog.functions.push_back(std::move(fn));
  }
  if (!r.ok) return bad("truncated program");
  if (r.Left() != 0) return bad("trailing bytes after program");
  const TFunction& main = prog.functions[0];
  if (main.paramSlots != 0 || main.resultSlots != 0 || prog.globalSlots < 0 || prog.globalSlots > main.frameSize) {
    return bad("bad main routine");
  }
  for (size_t i = 0; i < prog.functions.size(); ++i) {
    std::string why;
    if (!ValidateFunction(prog, i, why)) {
      prog = TProgram();
      reason = why;
      return false;
    }
  }
  return true;
}

}  // namespace script
