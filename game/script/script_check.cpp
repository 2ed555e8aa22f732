// Script checks for the content checker.
#include "game/script/script_check.h"

#include "game/actors/items.h"
#include "game/actors/walls.h"
#include "game/world/defs.h"
#include "game/world/content_check.h"
#include "game/world/diagnostics.h"
#include "game/world/registry.h"
#include "script_engine/lexer.h"  // the engine's own tokens: comments and strings read as it reads them

namespace game {

namespace {

// Reports a literal that names nothing, at its place in the file.
void ReportLiteral(const TContentScript& script, const TScriptLiteral& literal, const std::string& message) {
  TProblem problem;
  problem.File = script.Origin.File;
  ScriptFilePosition(script.Source, script.Origin, literal.Line, literal.Column, &problem.Line, &problem.Column);
  problem.Message = script.Origin.What.empty() ? message : script.Origin.What + ": " + message;
  ReportProblem(problem);
}

TScriptOrigin CreateScriptOrigin(const TGmWindow& window) {
  std::string what = "create script of window \"" + window.Name + "\"";
  return ScriptOriginOf(std::move(what), window.CreateScriptLines);
}

TScriptOrigin ClickScriptOrigin(const TGmWindow& window, const TGmButton& button) {
  std::string what = "click script of button \"" + button.Name + "\" in window \"" + window.Name + "\"";
  return ScriptOriginOf(std::move(what), button.ClickScriptLines);
}

}  // namespace

std::vector<TScriptLiteral> ScriptLiteralArguments(const std::string& source, std::string_view function,
                                                   size_t argument) {
  std::string wanted = UpperAscii(function);
  std::vector<script::Token> tokens;
  script::Lexer lexer(source);
  for (script::Token t = lexer.Next(); t.kind != script::TK_EOF && t.kind != script::TK_ERROR; t = lexer.Next())
    tokens.push_back(std::move(t));

  std::vector<TScriptLiteral> found;
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (tokens[i].kind != script::TK_IDENT || tokens[i].upper != wanted || tokens[i + 1].kind != script::TK_LPAREN)
      continue;
    // The tokens of each argument, split at the commas of this call's own level.
    size_t arg = 0, first = i + 2, depth = 1;
    for (size_t j = i + 2; j < tokens.size() && depth > 0; ++j) {
      script::TokenKind kind = tokens[j].kind;
      if (kind == script::TK_LPAREN || kind == script::TK_LBRACKET) ++depth;
      if (kind == script::TK_RPAREN || kind == script::TK_RBRACKET) --depth;
      bool ends = (depth == 1 && kind == script::TK_COMMA) || depth == 0;
      if (!ends) continue;
      if (arg == argument && j == first + 1 && tokens[first].kind == script::TK_STRING)
        found.push_back({tokens[first].text, tokens[first].line, tokens[first].col});
      ++arg;
      first = j + 1;
    }
  }
  return found;
}

std::vector<TContentScript> ContentScripts() {
  std::vector<TContentScript> scripts;
  for (TScriptBlock block : ScriptBlocks().Blocks) {
    // As the game strips them at start; stripping twice changes nothing.
    for (std::string& line : block.Lines) line = StripComment(line);
    TContentScript script;
    script.Source = ScriptBlockSource(block, &script.Origin);
    scripts.push_back(std::move(script));
  }
  for (const TWall& kind : ReadWallLists().WallKinds)
    if (!kind.TouchScript.empty())
      scripts.push_back({kind.TouchScript, ScriptOriginOf("touch script of wall kind \"" + kind.Name + "\"",
                                                          kind.TouchScriptLines)});
  for (const TGmItem& kind : ItemLists().ItemKinds)
    if (!kind.UseScript.empty())
      scripts.push_back({kind.UseScript, ScriptOriginOf("use script of item \"" + kind.Name + "\"", kind.UseScriptLines)});
  return scripts;
}

std::vector<TContentScript> WindowScripts(const std::vector<TGmWindow>& definitions) {
  std::vector<TContentScript> scripts;
  for (const TGmWindow& window : definitions) {
    if (!window.CreateScript.empty()) scripts.push_back({window.CreateScript, CreateScriptOrigin(window)});
    for (const TGmButton& button : window.Buttons)
      if (!button.ClickScript.empty()) scripts.push_back({button.ClickScript, ClickScriptOrigin(window, button)});
  }
  return scripts;
}

int32_t CheckScripts(const std::vector<TContentScript>& scripts, const std::vector<std::string>& windowNames) {
  int32_t problems = 0;
  for (const TContentScript& script : scripts) {
    if (!Script_Check(script.Source, script.Origin)) {
      ++problems;
      continue;
    }
    for (const TScriptLiteral& literal : ScriptLiteralArguments(script.Source, "Window_Create", 0)) {
      bool known = false;
      for (const std::string& name : windowNames) known = known || SameName(name, literal.Text);
      if (known) continue;
      ReportLiteral(script, literal, "Window_Create: no window is named \"" + literal.Text + "\"");
      ++problems;
    }
    for (const TScriptLiteral& literal : ScriptLiteralArguments(script.Source, "Cr_GiveItem", 1)) {
      if (KindNameExists(KindItems, literal.Text)) continue;
      ReportLiteral(script, literal, "Cr_GiveItem: no item kind is named \"" + literal.Text + "\"");
      ++problems;
    }
    for (const TScriptLiteral& literal : ScriptLiteralArguments(script.Source, "Cr_EffectCreate", 1)) {
      if (KindNameExists(KindEffects, literal.Text)) continue;
      ReportLiteral(script, literal, "Cr_EffectCreate: no effect kind is named \"" + literal.Text + "\"");
      ++problems;
    }
  }
  return problems;
}

}  // namespace game
