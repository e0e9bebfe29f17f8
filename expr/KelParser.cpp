#include "expr/KelParser.h"

#include <utility>

#include "cells/KelUtils.h"
#include "platform/Exceptions.h"

namespace qx {

namespace {

std::unique_ptr<TExpNode> BuildTree(TExpNodeOwner* owner, const TExpParser& tokens) {
  std::vector<const TExpToken*> refs;
  refs.reserve(tokens.Tokens().size());
  for (const TExpToken& t : tokens.Tokens()) refs.push_back(&t);
  auto root = std::make_unique<TExpNode>(owner, std::move(refs), nullptr);
  root->Parse();
  return root;
}

}  // namespace

// ---- TKelParser ------------------------------------------------------------

TKelParser::~TKelParser() {
  keptTree_.reset();  // the tree refers to the kept tokens
  keptTokens_.reset();
}

void TKelParser::Execute(bool evaluate) {
  if (KeepParsedTree && keptTree_ && keptText_ == Text) {
    if (evaluate) {
      Variant value;
      keptTree_->Evaluate(value);
      lastValue_ = std::move(value);
    }
    return;
  }
  keptTree_.reset();
  keptTokens_.reset();

  // The tree is declared after the tokens so that it is freed first.
  auto tokens = std::make_unique<TExpParser>();
  tokens->Tokenize(Text);
  std::unique_ptr<TExpNode> root = BuildTree(this, *tokens);
  if (evaluate) {
    Variant value;
    root->Evaluate(value);
    lastValue_ = std::move(value);
  }
  if (KeepParsedTree) {
    keptText_ = Text;
    keptTokens_ = std::move(tokens);
    keptTree_ = std::move(root);
  }
}

Variant TKelParser::Calculate() {
  Execute(true);
  return lastValue_;
}

void TKelParser::DoEvaluate(const std::string& eval, const TEvalArgs& args, bool isChild, Variant& value) {
  bool done = false;
  if (!ProcessBeforeEvent && OnEvaluate) {
    OnEvaluate(*this, eval, args, kEvalArgCount, isChild, value, done);
    if (done) return;
  } else {
    value = Variant(eval);
  }
  if (TKelParserFunction* function = ParserFunctions().FindByName(eval)) {
    function->SetArgs(args);
    Variant result;
    function->Evaluate(result);
    value = std::move(result);
    return;
  }
  if (ProcessBeforeEvent && OnEvaluate) OnEvaluate(*this, eval, args, kEvalArgCount, isChild, value, done);
}

void TKelParser::ResolveNodeName(TExpNode& node, const std::string& eval, const TEvalArgs& args, Variant& value) {
  DoEvaluate(eval, args, node.Parent() != nullptr, value);
}

// ---- TKelParserFunction ----------------------------------------------------

void TKelParserFunction::SetHeader(const std::string& header) {
  ParamNames.clear();
  Header = header;
  Expression.clear();
  Name.clear();

  const size_t eq = header.find('=');
  if (eq == std::string::npos) return;  // no name: never found
  const std::string head = header.substr(0, eq);
  Expression = header.substr(eq + 1);

  TExpParser parser;
  const std::deque<TExpToken>& tokens = parser.Tokenize(head);
  if (tokens.empty() || tokens[0].Kind != TExpTokenKind::etkName) {
    throw EKelParseException("Function \"" + Header + "\" is not valid.");
  }
  Name = tokens[0].Text;
  if (tokens.size() == 1) return;

  auto headerError = [&head]() { return EKelParseException("Function header \"" + head + "\" is not valid."); };
  bool listOpen = false;
  if (tokens[1].Kind == TExpTokenKind::etkParenthesis) {
    if (tokens[1].Text == ")") throw headerError();
    listOpen = true;
  }
  bool afterName = false;
  for (size_t i = 2; i < tokens.size(); ++i) {
    const TExpToken& t = tokens[i];
    if (t.Kind == TExpTokenKind::etkParenthesis) {
      if (listOpen && t.Text == ")") {
        listOpen = false;
        break;
      }
      throw headerError();
    }
    if (afterName) {
      if (t.Kind != TExpTokenKind::etkDelimiter) {
        throw EKelParseException("Function parse error: delimitor \",\" expected between arguments.");
      }
      afterName = false;
    } else if (t.Kind == TExpTokenKind::etkName) {
      if (ParamNames.size() >= static_cast<size_t>(kMaxFunctionParams)) {
        throw EKelParseException("Function header \"" + head + "\" declares more than " +
                                 std::to_string(kMaxFunctionParams) + " parameters.");
      }
      ParamNames.push_back(t.Text);
      afterName = true;
    }
  }
  if (listOpen) throw headerError();
}

void TKelParserFunction::Evaluate(Variant& value) {
  TExpParser tokens;
  tokens.Tokenize(Expression);
  std::unique_ptr<TExpNode> root = BuildTree(this, tokens);
  root->Evaluate(value);
}

void TKelParserFunction::ResolveName(TExpNode& /*node*/, const std::string& eval, const TEvalArgs& args,
                                     int /*argCount*/, Variant& value) {
  for (size_t i = 0; i < ParamNames.size() && i < ArgValues.size(); ++i) {
    if (SameTextAscii(eval, ParamNames[i])) {
      value = ArgValues[i];
      return;
    }
  }
  if (Parser != nullptr) Parser->DoEvaluate(eval, args, false, value);
}

// ---- TKelParserFunctions ---------------------------------------------------

TKelParserFunctions::~TKelParserFunctions() {
  while (!items_.empty()) items_.pop_back();
}

TKelParserFunction* TKelParserFunctions::Add(const std::string& header) {
  auto function = std::make_unique<TKelParserFunction>(nullptr);
  function->SetHeader(header);
  items_.push_back(std::move(function));
  return items_.back().get();
}

void TKelParserFunctions::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
}

TKelParserFunction* TKelParserFunctions::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<size_t>(index)].get();
}

TKelParserFunction* TKelParserFunctions::FindByName(std::string_view name) const {
  for (const auto& f : items_)
    if (SameTextAscii(f->Name, name)) return f.get();
  return nullptr;
}

TKelParserFunctions& ParserFunctions() {
  static TKelParserFunctions functions;
  static const bool initialised = [] {
    TKelParserFunction* pi = functions.Add("PI=3.14");
    pi->Description = "PI value";
    pi->Group = "Constants";
    pi->Category = "<All>";
    return true;
  }();
  (void)initialised;
  return functions;
}

}  // namespace qx
