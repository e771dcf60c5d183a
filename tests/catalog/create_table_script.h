#pragma once
// Reads the CREATE TABLE statements of a sample database's install script into the columns
// each table was created with: name, type, length, nullability, identity and whether the
// column is computed. User types declared by the script (CREATE TYPE ... FROM, or
// sp_addtype) are resolved to their base type and nullability.
//
// Understood forms: names bare, "quoted" or [bracketed], with or without schema; column
// definitions "name type[(length[, scale] | max)] [IDENTITY[(seed, increment)]] [NULL | NOT
// NULL] ..." with inline constraints, "name AS (expression)" for computed columns, and
// table constraints (a PRIMARY KEY (columns) makes its columns NOT NULL).

#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace portalmend::scripts {

struct ScriptColumn {
  std::string name;
  // Base type in lower case ("nvarchar", "int"); empty for a computed column.
  std::string type;
  // The length as written: a number, "max", or empty when none was given.
  std::string length;
  std::optional<int> scale;
  bool nullable = true;
  bool identity = false;
  long long identity_seed = 1;
  long long identity_increment = 1;
  bool computed = false;
};

struct ScriptTable {
  std::string name;  // without schema
  std::vector<ScriptColumn> columns;
};

namespace detail {

struct Token {
  enum Kind { kWord, kNumber, kString, kPunct } kind = kWord;
  std::string text;  // words and quoted names without their quotes
};

inline bool ieq(const Token& t, const char* word) {
  if (t.kind != Token::kWord) return false;
  std::size_t i = 0;
  for (; word[i] != 0; ++i) {
    if (i >= t.text.size() || std::tolower(static_cast<unsigned char>(t.text[i])) != std::tolower(word[i])) return false;
  }
  return i == t.text.size();
}

inline std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

inline std::vector<Token> tokenize(const std::string& s) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  auto word_char = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '@' || c == '#' || c == '$';
  };
  while (i < s.size()) {
    const char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      while (i < s.size() && s[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      const std::size_t end = s.find("*/", i + 2);
      i = end == std::string::npos ? s.size() : end + 2;
    } else if (c == '"' || c == '[') {
      const char close = c == '"' ? '"' : ']';
      const std::size_t end = s.find(close, i + 1);
      if (end == std::string::npos) break;
      tokens.push_back({Token::kWord, s.substr(i + 1, end - i - 1)});
      i = end + 1;
    } else if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < s.size() && s[i + 1] == '\'')) {
      std::size_t j = c == '\'' ? i + 1 : i + 2;
      std::string text;
      while (j < s.size()) {
        if (s[j] == '\'') {
          if (j + 1 < s.size() && s[j + 1] == '\'') {
            text += '\'';
            j += 2;
            continue;
          }
          break;
        }
        text += s[j++];
      }
      tokens.push_back({Token::kString, text});
      i = j + 1;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      std::size_t j = i;
      while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
      tokens.push_back({Token::kNumber, s.substr(i, j - i)});
      i = j;
    } else if (word_char(c)) {
      std::size_t j = i;
      while (j < s.size() && word_char(s[j])) ++j;
      tokens.push_back({Token::kWord, s.substr(i, j - i)});
      i = j;
    } else {
      tokens.push_back({Token::kPunct, std::string(1, c)});
      ++i;
    }
  }
  return tokens;
}

struct UserType {
  std::string base;
  std::string length;
  bool not_null = false;
};

// A (possibly qualified) name at tokens[i]: the last part; i moves past it.
inline std::string qualified_name(const std::vector<Token>& t, std::size_t& i) {
  std::string name;
  while (i < t.size() && t[i].kind == Token::kWord) {
    name = t[i].text;
    ++i;
    if (i < t.size() && t[i].kind == Token::kPunct && t[i].text == ".") {
      ++i;
      continue;
    }
    break;
  }
  return name;
}

// "varchar(11)" as written in sp_addtype.
inline UserType parse_type_text(const std::string& text, bool not_null) {
  UserType type;
  const std::size_t open = text.find('(');
  type.base = lower(text.substr(0, open));
  if (open != std::string::npos) type.length = text.substr(open + 1, text.find(')') - open - 1);
  type.not_null = not_null;
  return type;
}

inline bool is_table_constraint(const Token& t) {
  return ieq(t, "CONSTRAINT") || ieq(t, "PRIMARY") || ieq(t, "FOREIGN") || ieq(t, "UNIQUE") || ieq(t, "CHECK") ||
         ieq(t, "INDEX");
}

}  // namespace detail

inline std::vector<ScriptTable> parse_create_tables(const std::string& script) {
  using detail::ieq;
  using detail::Token;
  const std::vector<Token> t = detail::tokenize(script);
  std::map<std::string, detail::UserType> user_types;
  std::vector<ScriptTable> tables;
  auto punct = [&](std::size_t i, const char* p) { return i < t.size() && t[i].kind == Token::kPunct && t[i].text == p; };

  for (std::size_t i = 0; i < t.size(); ++i) {
    if (ieq(t[i], "sp_addtype") && i + 5 < t.size() && t[i + 3].kind == Token::kString) {
      const std::string name = detail::lower(t[i + 1].text);
      const bool not_null = t[i + 5].kind == Token::kString && detail::lower(t[i + 5].text) == "not null";
      user_types[name] = detail::parse_type_text(t[i + 3].text, not_null);
      continue;
    }
    if (ieq(t[i], "CREATE") && i + 1 < t.size() && ieq(t[i + 1], "TYPE")) {
      std::size_t j = i + 2;
      const std::string name = detail::lower(detail::qualified_name(t, j));
      if (j >= t.size() || !ieq(t[j], "FROM")) continue;
      ++j;
      detail::UserType type;
      type.base = detail::lower(detail::qualified_name(t, j));
      if (punct(j, "(")) {
        ++j;
        if (j < t.size()) type.length = t[j].text;
        while (j < t.size() && !punct(j, ")")) ++j;
        ++j;
      }
      type.not_null = j + 1 < t.size() && ieq(t[j], "NOT") && ieq(t[j + 1], "NULL");
      user_types[name] = type;
      continue;
    }
    if (!(ieq(t[i], "CREATE") && i + 1 < t.size() && ieq(t[i + 1], "TABLE"))) continue;
    std::size_t j = i + 2;
    ScriptTable table;
    table.name = detail::qualified_name(t, j);
    if (!punct(j, "(")) continue;
    ++j;
    // Split the body into items at top-level commas.
    std::vector<std::vector<Token>> items(1);
    int depth = 0;
    for (; j < t.size(); ++j) {
      if (punct(j, "(")) ++depth;
      if (punct(j, ")")) {
        if (depth == 0) break;
        --depth;
      }
      if (depth == 0 && punct(j, ",")) {
        items.emplace_back();
        continue;
      }
      items.back().push_back(t[j]);
    }
    i = j;
    std::vector<std::string> primary_key_columns;
    for (const std::vector<Token>& item : items) {
      if (item.empty()) continue;
      if (detail::is_table_constraint(item[0])) {
        for (std::size_t k = 0; k + 1 < item.size(); ++k) {
          if (!(ieq(item[k], "PRIMARY") && ieq(item[k + 1], "KEY"))) continue;
          std::size_t m = k + 2;
          while (m < item.size() && !(item[m].kind == Token::kPunct && item[m].text == "(")) ++m;
          for (++m; m < item.size() && !(item[m].kind == Token::kPunct && item[m].text == ")"); ++m) {
            if (item[m].kind == Token::kWord && !ieq(item[m], "ASC") && !ieq(item[m], "DESC")) {
              primary_key_columns.push_back(item[m].text);
            }
          }
        }
        continue;
      }
      ScriptColumn column;
      column.name = item[0].text;
      std::size_t k = 1;
      if (k < item.size() && ieq(item[k], "AS")) {
        column.computed = true;
        table.columns.push_back(column);
        continue;
      }
      const std::string type_name = detail::lower(detail::qualified_name(item, k));
      std::optional<bool> explicit_null;
      bool inline_primary_key = false;
      bool user_not_null = false;
      auto user = user_types.find(type_name);
      if (user != user_types.end()) {
        column.type = user->second.base;
        column.length = user->second.length;
        user_not_null = user->second.not_null;
      } else {
        column.type = type_name;
      }
      int level = 0;
      for (; k < item.size(); ++k) {
        const Token& token = item[k];
        if (token.kind == Token::kPunct && token.text == "(") {
          ++level;
          continue;
        }
        if (token.kind == Token::kPunct && token.text == ")") {
          --level;
          continue;
        }
        if (level != 0) continue;
        if (ieq(token, "IDENTITY")) {
          column.identity = true;
          if (k + 5 < item.size() && item[k + 1].text == "(" && item[k + 3].text == ",") {
            column.identity_seed = std::stoll(item[k + 2].text);
            column.identity_increment = std::stoll(item[k + 4].text);
          }
        } else if (ieq(token, "NOT") && k + 1 < item.size() && ieq(item[k + 1], "NULL")) {
          explicit_null = false;
          ++k;
        } else if (ieq(token, "NULL")) {
          explicit_null = true;
        } else if (ieq(token, "PRIMARY") && k + 1 < item.size() && ieq(item[k + 1], "KEY")) {
          inline_primary_key = true;
        }
      }
      // The length: the parenthesised tokens right after the type name.
      std::size_t after_type = 1;
      detail::qualified_name(item, after_type);
      if (after_type < item.size() && item[after_type].kind == Token::kPunct && item[after_type].text == "(") {
        if (after_type + 1 < item.size() &&
            (item[after_type + 1].kind == Token::kNumber || ieq(item[after_type + 1], "max"))) {
          column.length = detail::lower(item[after_type + 1].text);
          if (after_type + 3 < item.size() && item[after_type + 2].text == "," &&
              item[after_type + 3].kind == Token::kNumber) {
            column.scale = std::stoi(item[after_type + 3].text);
          }
        }
      }
      if (explicit_null) {
        column.nullable = *explicit_null;
      } else {
        column.nullable = !(column.identity || inline_primary_key || user_not_null);
      }
      table.columns.push_back(column);
    }
    for (ScriptColumn& column : table.columns) {
      for (const std::string& key : primary_key_columns) {
        if (key == column.name) column.nullable = false;
      }
    }
    tables.push_back(std::move(table));
  }
  return tables;
}

}  // namespace portalmend::scripts
