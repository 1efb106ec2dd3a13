#include "wql.h"

#include <cctype>
#include <cstdlib>

namespace brellix_linux {

namespace {

struct Token {
  enum Kind { Identifier, String, Number, Symbol, End } kind;
  std::string text;
};

// Splits the text into tokens; false on a character or literal WQL does not allow.
bool tokenize(const std::string &query, std::vector<Token> &tokens) {
  size_t i = 0;
  while (i < query.size()) {
    const unsigned char c = static_cast<unsigned char>(query[i]);
    if (std::isspace(c)) {
      ++i;
    } else if (std::isalpha(c) || c == '_') {
      size_t start = i;
      while (i < query.size() &&
             (std::isalnum(static_cast<unsigned char>(query[i])) || query[i] == '_'))
        ++i;
      tokens.push_back({Token::Identifier, query.substr(start, i - start)});
    } else if (std::isdigit(c) || (c == '-' && i + 1 < query.size() &&
                                   std::isdigit(static_cast<unsigned char>(query[i + 1])))) {
      size_t start = i++;
      while (i < query.size() && std::isdigit(static_cast<unsigned char>(query[i]))) ++i;
      tokens.push_back({Token::Number, query.substr(start, i - start)});
    } else if (c == '\'' || c == '"') {
      // A backslash escapes a backslash or a quote; any other escape is an error.
      const char quote = static_cast<char>(c);
      std::string text;
      ++i;
      for (;;) {
        if (i >= query.size()) return false;
        char d = query[i++];
        if (d == quote) break;
        if (d == '\\') {
          if (i >= query.size()) return false;
          char e = query[i++];
          if (e != '\\' && e != '\'' && e != '"') return false;
          text += e;
        } else {
          text += d;
        }
      }
      tokens.push_back({Token::String, text});
    } else if (c == '!' || c == '<') {
      if (i + 1 < query.size() && query[i + 1] == (c == '!' ? '=' : '>')) {
        tokens.push_back({Token::Symbol, "!="});
        i += 2;
      } else {
        return false;
      }
    } else if (c == '=' || c == '*' || c == ',' || c == '{' || c == '}' || c == '.') {
      tokens.push_back({Token::Symbol, std::string(1, static_cast<char>(c))});
      ++i;
    } else {
      return false;
    }
  }
  tokens.push_back({Token::End, ""});
  return true;
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  bool keyword(const char *word) {
    if (peek().kind == Token::Identifier && equal_ignoring_case(peek().text, word)) {
      ++at_;
      return true;
    }
    return false;
  }
  bool symbol(const char *text) {
    if (peek().kind == Token::Symbol && peek().text == text) {
      ++at_;
      return true;
    }
    return false;
  }
  bool identifier(std::string &out) {
    if (peek().kind != Token::Identifier) return false;
    out = tokens_[at_++].text;
    return true;
  }
  bool literal(Token &out) {
    if (peek().kind != Token::String && peek().kind != Token::Number) return false;
    out = tokens_[at_++];
    return true;
  }
  bool at_end() const { return peek().kind == Token::End; }

 private:
  const Token &peek() const { return tokens_[at_]; }
  std::vector<Token> tokens_;
  size_t at_ = 0;
};

bool has_property(const ClassSchema &cls, const std::string &name) {
  for (const char *property : cls.properties)
    if (equal_ignoring_case(property, name)) return true;
  return false;
}

// WQL comparisons: strings without regard to case, numbers by value, null never equal
// and never unequal.
bool matches(const Value *value, const Token &literal, bool equal) {
  if (value == nullptr || value->kind == Value::Null) return false;
  bool same;
  // Every number of these classes is an unsigned 32-bit property held in its bits.
  const uint32_t number = static_cast<uint32_t>(value->number);
  if (value->kind == Value::Int32 && literal.kind == Token::Number)
    same = std::strtoll(literal.text.c_str(), nullptr, 10) == static_cast<long long>(number);
  else if (value->kind == Value::Int32)
    same = equal_ignoring_case(std::to_string(number), literal.text);
  else
    same = equal_ignoring_case(value->text, literal.text);
  return same == equal;
}

HRESULT run_select(const MachineFacts &facts, Parser &parser, std::vector<Instance> &out) {
  std::vector<std::string> selected;
  if (!parser.symbol("*")) {
    do {
      std::string name;
      if (!parser.identifier(name)) return WBEM_E_INVALID_QUERY;
      selected.push_back(name);
    } while (parser.symbol(","));
  }
  std::string class_name;
  if (!parser.keyword("FROM") || !parser.identifier(class_name)) return WBEM_E_INVALID_QUERY;

  bool filtered = false, equal = true;
  std::string property;
  Token literal{Token::End, ""};
  if (parser.keyword("WHERE")) {
    filtered = true;
    if (!parser.identifier(property)) return WBEM_E_INVALID_QUERY;
    if (parser.symbol("=")) equal = true;
    else if (parser.symbol("!=")) equal = false;
    else return WBEM_E_INVALID_QUERY;
    if (!parser.literal(literal)) return WBEM_E_INVALID_QUERY;
  }
  if (!parser.at_end()) return WBEM_E_INVALID_QUERY;

  const ClassSchema *cls = MachineFacts::schema(class_name);
  if (cls == nullptr) return WBEM_E_INVALID_CLASS;
  for (const auto &name : selected)
    if (!has_property(*cls, name)) return WBEM_E_INVALID_QUERY;
  if (filtered && !has_property(*cls, property)) return WBEM_E_INVALID_QUERY;

  std::vector<Instance> all;
  HRESULT read = facts.instances(*cls, all);
  if (FAILED(read)) return read;
  for (auto &instance : all) {
    if (filtered && !matches(instance.find(property), literal, equal)) continue;
    if (!selected.empty()) {
      Instance projected;
      projected.class_name = instance.class_name;
      for (const auto &entry : instance.properties)
        for (const auto &name : selected)
          if (equal_ignoring_case(entry.first, name)) {
            projected.properties.push_back(entry);
            break;
          }
      instance = std::move(projected);
    }
    out.push_back(std::move(instance));
  }
  return WBEM_S_NO_ERROR;
}

HRESULT run_associators(const MachineFacts &facts, Parser &parser, std::vector<Instance> &out) {
  std::string class_name, key, result_name;
  Token value{Token::End, ""};
  if (!parser.keyword("OF") || !parser.symbol("{") || !parser.identifier(class_name) ||
      !parser.symbol(".") || !parser.identifier(key) || !parser.symbol("=") ||
      !parser.literal(value) || !parser.symbol("}"))
    return WBEM_E_INVALID_QUERY;
  if (parser.keyword("WHERE")) {
    if (!parser.keyword("ResultClass") || !parser.symbol("=") || !parser.identifier(result_name))
      return WBEM_E_INVALID_QUERY;
  }
  if (!parser.at_end()) return WBEM_E_INVALID_QUERY;

  const ClassSchema *cls = MachineFacts::schema(class_name);
  if (cls == nullptr) return WBEM_E_INVALID_CLASS;
  if (!equal_ignoring_case(cls->key, key)) return WBEM_E_INVALID_QUERY;
  const ClassSchema *result_class = nullptr;
  if (!result_name.empty()) {
    result_class = MachineFacts::schema(result_name);
    if (result_class == nullptr) return WBEM_E_INVALID_CLASS;
  }

  Instance source;
  HRESULT found = facts.instance(*cls, value.text, source);
  if (FAILED(found)) return found;
  return facts.associators(source, result_class, out);
}

}  // namespace

HRESULT run_wql(const MachineFacts &facts, const std::string &query, std::vector<Instance> &out) {
  std::vector<Token> tokens;
  if (!tokenize(query, tokens)) return WBEM_E_INVALID_QUERY;
  Parser parser(std::move(tokens));
  if (parser.keyword("SELECT")) return run_select(facts, parser, out);
  if (parser.keyword("ASSOCIATORS")) return run_associators(facts, parser, out);
  return WBEM_E_INVALID_QUERY;
}

}  // namespace brellix_linux
