// try ... except, try ... finally, and the jumps (break, continue, exit) that leave them.
#include "script_engine/codegen_internal.h"

namespace script {

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

}  // namespace script
