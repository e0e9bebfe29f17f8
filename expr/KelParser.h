#pragma once
// The parser component: evaluates its Text, asks the OnEvaluate handler for
// the names the engine does not know, and calls user-defined functions
// (ParserFunctions, which starts with "PI=3.14").
//
// One evaluation: tokenize Text, parse a tree, evaluate it, free the tree.
// With KeepParsedTree set, the tree built for the current Text is kept and
// evaluated again by the next Calculate (same results and errors, as long as
// Text is unchanged; a parse error is not kept and is raised again).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "expr/ExpNode.h"
#include "expr/ExpTokenizer.h"
#include "platform/Variant.h"

namespace qx {

class TKelParser;

// The caller's name resolver. Eval: the name as written; Args: the 11
// evaluated arguments (read only); ArgCount: always 11; IsChild: false when
// the name's node is the root; Value: preset, set to the name's value; Done:
// set to true to keep user-defined functions from being tried.
using TOnEvaluate = std::function<void(TKelParser& Sender, const std::string& Eval, const TEvalArgs& Args,
                                       int ArgCount, bool IsChild, Variant& Value, bool& Done)>;

class TKelParser : public TExpNodeOwner {
 public:
  explicit TKelParser(void* owner = nullptr) : owner_(owner) {}
  ~TKelParser() override;
  TKelParser(const TKelParser&) = delete;
  TKelParser& operator=(const TKelParser&) = delete;

  // Published properties.
  bool ProcessBeforeEvent = false;
  std::string Text;
  TOnEvaluate OnEvaluate;
  bool KeepParsedTree = false;

  const Variant& LastValue() const { return lastValue_; }
  // The owning component given at creation (not used by the engine).
  void* Owner() const { return owner_; }

  // Tokenizes and parses Text; with evaluate, evaluates it into LastValue.
  void Execute(bool evaluate);
  // Execute(true); a copy of LastValue.
  Variant Calculate();
  // Resolves a name for the nodes of this component: the handler and the
  // user-defined functions, in the order ProcessBeforeEvent gives.
  void DoEvaluate(const std::string& eval, const TEvalArgs& args, bool isChild, Variant& value);

  void ResolveNodeName(TExpNode& node, const std::string& eval, const TEvalArgs& args, Variant& value) override;

 private:
  void* owner_;
  Variant lastValue_;
  // Kept tree (KeepParsedTree): tokens first, so the tree dies before them.
  std::unique_ptr<TExpParser> keptTokens_;
  std::unique_ptr<TExpNode> keptTree_;
  std::string keptText_;
};

// Most parameters a user-defined function may declare.
inline constexpr int kMaxFunctionParams = kEvalArgCount;

class TKelParserFunction : public TExpNodeOwner {
 public:
  explicit TKelParserFunction(TKelParser* parser = nullptr) : Parser(parser) {}
  ~TKelParserFunction() override = default;

  std::string Header;
  std::string Name;
  std::string Expression;
  std::vector<std::string> ParamNames;
  TEvalArgs ArgValues;
  TKelParser* Parser;
  std::string Description, Group, Category;

  // Parses "NAME(params)=expression". Raises EKelParseException
  // "Function "%s" is not valid.", "Function header "%s" is not valid.",
  // "Function parse error: delimitor "%s" expected between arguments." or,
  // for more than 11 parameters, a message saying so.
  void SetHeader(const std::string& header);
  void SetArgs(const TEvalArgs& args) { ArgValues = args; }
  // Evaluates Expression (tokenized and parsed anew at each call).
  virtual void Evaluate(Variant& value);
  // A name met in the body: a parameter, else the Parser's resolution, else
  // the name text left in value.
  void ResolveName(TExpNode& node, const std::string& eval, const TEvalArgs& args, int argCount, Variant& value);

  void ResolveNodeName(TExpNode& node, const std::string& eval, const TEvalArgs& args, Variant& value) override {
    ResolveName(node, eval, args, kEvalArgCount, value);
  }
};

class TKelParserFunctions {
 public:
  TKelParserFunctions() = default;
  ~TKelParserFunctions();
  TKelParserFunctions(const TKelParserFunctions&) = delete;
  TKelParserFunctions& operator=(const TKelParserFunctions&) = delete;

  // New function without parser from a definition; on a header error the
  // list stays unchanged and the error passes on.
  TKelParserFunction* Add(const std::string& header);
  void Delete(int index);
  TKelParserFunction* Items(int index) const;
  int Count() const { return static_cast<int>(items_.size()); }
  // First function whose Name equals name (ASCII case-insensitive).
  TKelParserFunction* FindByName(std::string_view name) const;

 private:
  std::vector<std::unique_ptr<TKelParserFunction>> items_;
};

// The process-wide list of user-defined functions, created at first use
// with its entry "PI=3.14".
TKelParserFunctions& ParserFunctions();

}  // namespace qx
