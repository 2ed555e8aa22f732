// The VM's run-time values and executor state: 8-byte slots, reference-counted strings, dynamic
// arrays and variants, explicit call frames and try handlers. Internal to the script engine; hosts
// use TScriptExec (script.h).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script_engine/program.h"
#include "script_engine/script.h"

namespace script {

// Exception kinds as scripts see them (the erXxx constants, in this order).
enum ErrorKind : int32_t {
  erNoError, erCannotImport, erInvalidType, erInternalError, erInvalidHeader, erInvalidOpcode,
  erInvalidOpcodeParameter, erNoMainProc, erOutOfGlobalVarsRange, erOutOfProcRange, erOutOfRange,
  erOutOfStackRange, erTypeMismatch, erUnexpectedEof, erVersionError, erDivideByZero, erMathError,
  erCouldNotCallProc, erOutofRecordRange, erOutOfMemory, erException, erNullPointerException,
  erNullVariantError, erInterfaceNotSupported, erCustomError,
  erKindCount
};

extern const char* const kErrorKindNames[erKindCount];

struct HeapObj;
struct Str;
struct Arr;
struct Var;

union Slot {
  int64_t i;
  double f;
  HeapObj* o;
  Str* s;
  Arr* a;
  Var* v;
  Slot* r;
};
static_assert(sizeof(Slot) == 8, "slots are 8 bytes");

enum HeapTag : uint8_t { HT_STR, HT_ARR, HT_VAR };

struct HeapObj {
  int32_t rc;
  HeapTag tag;
};

// An 8-bit string; the empty string is a null pointer. Shared copies are made unique before a
// change (copy on write).
struct Str : HeapObj {
  int32_t len;
  int32_t cap;
  char data[1];  // len bytes and a terminating zero
};

// A dynamic array: `len` elements of `layout->slots` slots each. Shared by reference.
struct Arr : HeapObj {
  int32_t len;
  const TLayout* layout;
  Slot* data;
};

// Variant types as VarType reports them.
enum VarTypeCode : int32_t {
  varEmpty = 0, varNull = 1, varSmallint = 2, varInteger = 3, varSingle = 4, varDouble = 5,
  varBoolean = 11, varShortInt = 16, varByte = 17, varWord = 18, varLongWord = 19, varInt64 = 20,
  varString = 0x100, varChar = 0x101,
};

struct Var : HeapObj {
  int32_t vtype;
  Slot value;  // a string variant holds a Str* here
};

// Largest string or array the VM will allocate, in bytes; bigger requests are run-time errors.
constexpr int64_t kMaxAllocation = 16 * 1024 * 1024;

inline void Retain(HeapObj* o) {
  if (o) ++o->rc;
}
void FreeObject(HeapObj* o);
inline void Release(HeapObj* o) {
  if (o && --o->rc == 0) FreeObject(o);
}
// Releases every managed slot of a layout at `base` and nulls them.
void ReleaseLayout(Slot* base, const TLayout& layout);

Str* NewStr(const char* data, int64_t len);  // null for len 0; len must be within limits
Str* AllocStr(int64_t cap);                  // an empty string object with room for cap bytes
inline std::string_view View(const Str* s) {
  return s ? std::string_view(s->data, static_cast<size_t>(s->len)) : std::string_view();
}
inline int32_t StrLen(const Str* s) { return s ? s->len : 0; }
// Makes *slot a string of its own (refcount 1) with room for `len` bytes and length `len`;
// keeps the old contents up to min(old, len). Returns false when len is too large.
bool StrResize(Slot* slot, int64_t len);
Var* NewVar(int32_t vtype);
Arr* NewArr(const TLayout* layout, int64_t len);  // null for len 0

struct Frame {
  const TFunction* fn;
  Slot* base;
  const Instr* pc;   // where the frame continues (saved when it calls)
  int32_t retDst;    // caller's destination register for the result, -1 for none
  uint32_t chunk;    // stack chunk holding the frame
};

struct Handler {
  int32_t frame;       // index in the frame stack
  int32_t pc;          // handler instruction index
  int32_t pending;     // finally state slots, -1 for an except handler
  int32_t tempTop;     // managed slots from here up are released on entry
};

// One chunk of the slot stack; frames never straddle chunks, so references stay valid.
struct StackChunk {
  std::unique_ptr<Slot[]> slots;
  size_t size = 0;
};

struct TExecImpl {
  TScriptExec* owner = nullptr;
  TExecStatus status = TExecStatus::NotLoaded;
  TProgram program;
  std::vector<Str*> constStrings;  // the program's string constants
  std::vector<std::shared_ptr<TNativeFunction>> bindings;  // per import, from `natives`
  std::unordered_map<std::string, TNativeFunction> natives;
  TRuntimeError error;

  std::vector<StackChunk> chunks;
  size_t chunkIndex = 0;  // chunk of the topmost frame
  std::vector<Frame> frames;  // sized for the call-depth limit; frameCount are in use
  int32_t frameCount = 0;
  std::vector<Handler> handlers;
  Slot* globals = nullptr;

  bool inExecute = false;  // the interpreter loop of this executor is on the native stack
  int64_t raisePos = -1;   // position of a re-raised exception (line << 32 | col)
  int64_t stepLimit = 50000000;
  int64_t stepsLeft = 0;
  int maxDepth = 1000;

  // The exception being handled (ExceptionType, ExceptionParam, RaiseLastException).
  int32_t exKind = erNoError;
  std::string exParam;
  int32_t exProc = 0;
  int32_t exPos = 0;

  // Set by built-in routines and natives to raise a run-time error once they return.
  bool failed = false;
  bool fatal = false;  // not catchable (step budget)
  int32_t failKind = erNoError;
  std::string failMessage;

  uint64_t randomState = 0x2545F4914F6CDD1DULL;

  void Fail(int32_t kind, std::string message) {
    if (failed) return;
    failed = true;
    failKind = kind;
    failMessage = std::move(message);
  }
  // Resets the run state: releases frames and globals.
  void ResetRun();
  void Unload();
  bool Bind();
  bool Execute();  // the interpreter loop; false when the run ended with an error
  // Index of a stack chunk after `current` with room for `need` slots (allocated if needed).
  uint32_t NextChunk(uint32_t current, size_t need);
};

// Text of an exception kind with its parameter, as ExceptionToString gives it.
std::string ExceptionText(int32_t kind, std::string_view param);

}  // namespace script
