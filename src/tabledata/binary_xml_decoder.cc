#include "tabledata/binary_xml_decoder.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tabledata/binary_xml_cursor.h"
#include "tabledata/binary_xml_text.h"
#include "tabledata/binary_xml_tokens.h"
#include "tabledata/binary_xml_values.h"

namespace portalmend {
namespace {

using namespace binxml;

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";
constexpr std::string_view kXmlnsPrefix = "xmlns";
constexpr std::size_t kDefaultTextFloor = 64u << 20;
constexpr std::size_t kDefaultTextPerInputByte = 256;

// A distinct string (name, prefix or namespace uri). Tables refer to strings by atom, so that
// what an open element or a namespace binding names stays valid after FLUSH or an embedded
// document replaces the tables, and so that one long name used many times is stored once.
using Atom = std::uint32_t;
constexpr Atom kEmptyAtom = 0;

struct QName {
  Atom ns = kEmptyAtom;
  Atom prefix = kEmptyAtom;
  Atom local = kEmptyAtom;
};

// The name table and qname table of one document. Entry 0 of the name table is the empty string;
// entry 0 of the qname table is never defined.
struct NameTables {
  std::vector<Atom> names{kEmptyAtom};
  std::vector<QName> qnames{QName{}};
};

// A namespace prefix bound at an element. `previous` is the binding it hides (or -1).
struct Binding {
  Atom prefix;
  Atom uri;
  std::int64_t previous;
  std::size_t depth;
  bool implied;  // not declared in the data: written out after the element's own attributes
};

struct OpenElement {
  Atom prefix;
  Atom local;
  bool start_tag_open;  // "<name ..." written, neither ">" nor " />" yet
};

// What the last atomic value of the current run was, to join list items with a space.
enum class LastValue { kNone, kText, kTyped };

const char* TokenName(std::uint8_t token) {
  switch (token) {
    case kXmlDecl: return "XMLDECL";
    case kEncoding: return "ENCODING";
    case kDocType: return "DOCTYPE";
    case kSystem: return "SYSTEM";
    case kPublic: return "PUBLIC";
    case kSubset: return "SUBSET";
    case kElement: return "ELEMENT";
    case kEndElement: return "END-ELEMENT";
    case kAttribute: return "ATTRIBUTE";
    case kEndAttributes: return "END-ATTRIBUTES";
    case kPi: return "PI";
    case kComment: return "COMMENT";
    case kCData: return "CDATA";
    case kEndCData: return "END-CDATA";
    case kXmlText: return "XMLTEXT";
    case kNest: return "NEST";
    case kEndNest: return "END-NEST";
    default: return nullptr;
  }
}

std::string TokenText(std::uint8_t token) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", token);
  const char* name = TokenName(token);
  return name ? std::string(hex) + " (" + name + ")" : std::string(hex);
}

class Decoder {
 public:
  Decoder(ByteReader bytes, const BinaryXmlLimits& limits) : cursor_(bytes), limits_(limits) {
    text_limit_ = limits.max_text_bytes;
    if (text_limit_ == 0) {
      const std::size_t max = std::numeric_limits<std::size_t>::max();
      const std::size_t per_byte = bytes.size() > (max - kDefaultTextFloor) / kDefaultTextPerInputByte
                                       ? max - kDefaultTextFloor
                                       : bytes.size() * kDefaultTextPerInputByte;
      text_limit_ = kDefaultTextFloor + per_byte;
    }
    // Most values make one to three bytes of text per byte; growing the text from nothing would
    // copy it over and over.
    out_.reserve(std::min(text_limit_, bytes.size() * 2));
    Intern("");
    xml_atom_ = Intern("xml");
    xmlns_atom_ = Intern(kXmlnsPrefix);
    xml_namespace_atom_ = Intern(kXmlNamespace);
    xmlns_namespace_atom_ = Intern(kXmlnsNamespace);
    PushBinding(kEmptyAtom, kEmptyAtom, 0, false);
    PushBinding(xml_atom_, xml_namespace_atom_, 0, false);
    PushBinding(xmlns_atom_, xmlns_namespace_atom_, 0, false);
  }

  BinaryXmlResult Run() {
    BinaryXmlResult result;
    if (ReadHeader() && ReadTokens() && CheckComplete()) {
      result.ok = true;
      result.text = std::move(out_);
    } else {
      result.error = std::move(error_);
      result.error_offset = error_offset_;
    }
    return result;
  }

 private:
  // ---- failures -------------------------------------------------------------------------------

  bool Fail(std::size_t offset, std::string message) {
    error_ = std::move(message);
    error_offset_ = offset;
    return false;
  }

  bool FailTruncated(std::size_t offset) { return Fail(offset, "The data ends in the middle of a token."); }

  // ---- atoms, names and namespaces ------------------------------------------------------------

  Atom Intern(std::string_view text) {
    const auto found = atom_ids_.find(text);
    if (found != atom_ids_.end()) return found->second;
    const auto atom = static_cast<Atom>(atoms_.size());
    atoms_.emplace_back(text);
    atom_ids_.emplace(atoms_.back(), atom);
    binding_head_.push_back(-1);
    return atom;
  }

  const std::string& AtomText(Atom atom) const { return atoms_[atom]; }

  void PushBinding(Atom prefix, Atom uri, std::size_t depth, bool implied) {
    bindings_.push_back(Binding{prefix, uri, binding_head_[prefix], depth, implied});
    binding_head_[prefix] = static_cast<std::int64_t>(bindings_.size() - 1);
  }

  // Binds `prefix` to `uri` at the current element, unless it is bound so already. A declaration
  // found in the data replaces one the decoder had implied at the same element.
  void Declare(Atom prefix, Atom uri, bool implied) {
    const std::size_t depth = elements_.size();
    const std::int64_t head = binding_head_[prefix];
    if (head >= 0) {
      Binding& current = bindings_[static_cast<std::size_t>(head)];
      if (current.uri == uri) {
        if (!implied && current.implied && current.depth == depth) current.implied = false;
        return;
      }
      if (current.depth == depth) {
        // One binding per prefix and element; the data's own declaration wins.
        if (!implied && current.implied) {
          current.uri = uri;
          current.implied = false;
        }
        return;
      }
    }
    PushBinding(prefix, uri, depth, implied);
  }

  // The namespace a name's prefix calls for, implied when it is not in scope. The xml and xmlns
  // prefixes are bound from the start, and a prefix cannot be bound to no namespace.
  void ImplyNamespace(const QName& name, bool is_attribute) {
    if (name.prefix == xml_atom_ || name.prefix == xmlns_atom_) return;
    if (name.prefix == kEmptyAtom && is_attribute) return;  // unprefixed attributes have no namespace
    if (name.prefix != kEmptyAtom && name.ns == kEmptyAtom) return;
    Declare(name.prefix, name.ns, true);
  }

  void AppendName(Atom prefix, Atom local) {
    if (prefix == kEmptyAtom) {
      out_ += AtomText(local);
    } else if (local == kEmptyAtom) {
      out_ += AtomText(prefix);
    } else {
      out_ += AtomText(prefix);
      out_.push_back(':');
      out_ += AtomText(local);
    }
  }

  // When an attribute is a namespace declaration ("xmlns" or "xmlns:p", written either as such a
  // plain name or with the xmlns namespace), the prefix it declares.
  std::optional<Atom> DeclaredPrefix(const QName& name) {
    if (name.ns != kEmptyAtom && name.ns != xmlns_namespace_atom_) return std::nullopt;
    if (name.prefix == kEmptyAtom && name.local == xmlns_atom_) return kEmptyAtom;
    if (name.prefix == xmlns_atom_) return name.local;
    if (name.local == kEmptyAtom) {
      const std::string_view text = AtomText(name.prefix);
      if (text.size() > kXmlnsPrefix.size() && text.substr(0, kXmlnsPrefix.size()) == kXmlnsPrefix &&
          text[kXmlnsPrefix.size()] == ':') {
        return Intern(text.substr(kXmlnsPrefix.size() + 1));
      }
    }
    return std::nullopt;
  }

  bool ReadName(std::size_t token_offset) {
    const auto text = cursor_.TextData();
    if (!text) return FailTruncated(token_offset);
    scratch_.clear();
    AppendUtf16(*text, text->size() / 2, Escape::kNone, scratch_);
    tables_.names.push_back(Intern(scratch_));
    return true;
  }

  bool ReadQNameDefinition(std::size_t token_offset) {
    Atom parts[3];
    for (Atom& part : parts) {
      const auto index = cursor_.Mb32();
      if (!index) return FailTruncated(token_offset);
      if (*index >= tables_.names.size()) {
        return Fail(token_offset, "A qualified name refers to name " + std::to_string(*index) +
                                      ", which was never defined.");
      }
      part = tables_.names[*index];
    }
    tables_.qnames.push_back(QName{parts[0], parts[1], parts[2]});
    return true;
  }

  std::optional<QName> ReadQNameReference(std::size_t token_offset) {
    const auto index = cursor_.Mb32();
    if (!index) {
      FailTruncated(token_offset);
      return std::nullopt;
    }
    if (*index == 0 || *index >= tables_.qnames.size()) {
      Fail(token_offset, "Qualified name " + std::to_string(*index) + " is used but was never defined.");
      return std::nullopt;
    }
    return tables_.qnames[*index];
  }

  // ---- header and document structure ----------------------------------------------------------

  // Signature, version, code page and an optional xml declaration (read, never shown: SQL Server
  // does not return it).
  bool ReadHeader() {
    const std::size_t start = cursor_.position();
    const auto header = cursor_.Take(kHeaderSize);
    if (!header) return Fail(start, "The data is too short to be binary xml.");
    if (header->u8_or(0) != kSignature0 || header->u8_or(1) != kSignature1) {
      return Fail(start, "The data does not start with the binary xml signature DF FF.");
    }
    const std::uint8_t version = header->u8_or(kVersionOffset);
    if (version != kVersion1 && version != kVersion2) {
      return Fail(start + kVersionOffset, "Binary xml version " + std::to_string(version) + " is not known.");
    }
    if (header->u16_or(kCodePageOffset) != kCodePageUtf16) {
      return Fail(start + kCodePageOffset, "The binary xml text is not in code page 1200 (UTF-16).");
    }
    if (cursor_.Peek() != kXmlDecl) return true;
    const std::size_t decl = cursor_.position();
    cursor_.Byte();
    if (!cursor_.TextData()) return FailTruncated(decl);
    if (cursor_.Peek() == kEncoding) {
      cursor_.Byte();
      if (!cursor_.TextData()) return FailTruncated(decl);
    }
    const auto standalone = cursor_.Byte();
    if (!standalone) return FailTruncated(decl);
    if (*standalone > 2) return Fail(decl, "The xml declaration has an unknown standalone value.");
    return true;
  }

  bool ReadTokens() {
    while (!cursor_.at_end()) {
      if (out_.size() > text_limit_) {
        return Fail(cursor_.position(), "The text of the value would pass " + std::to_string(text_limit_) + " bytes.");
      }
      const std::size_t offset = cursor_.position();
      const std::uint8_t token = *cursor_.Byte();
      switch (token) {
        case kNameDef:
          if (!ReadName(offset)) return false;
          continue;
        case kQNameDef:
          if (!ReadQNameDefinition(offset)) return false;
          continue;
        case kFlush:
          tables_ = NameTables{};
          continue;
        case kExtension: {
          const auto length = cursor_.Mb32();
          if (!length || !cursor_.Take(*length)) return FailTruncated(offset);
          continue;
        }
        default:
          break;
      }
      if (in_start_tag_) {
        if (token == kAttribute) {
          if (!StartAttribute(offset)) return false;
          continue;
        }
        if (token == kEndAttributes) {
          if (attribute_count_ == 0) {
            return Fail(offset, "END-ATTRIBUTES follows an element that has no attribute.");
          }
          if (!EndAttribute()) return false;
          EndStartTag();
          continue;
        }
        if (attribute_count_ > 0) {
          if (!IsValueToken(token)) {
            return Fail(offset, "Token " + TokenText(token) + " stands in an attribute list that was not ended.");
          }
          if (!AppendValueToken(token, offset, Escape::kAttribute)) return false;
          continue;
        }
        EndStartTag();  // an element without attributes: its content starts here
      }
      if (!ReadContentToken(token, offset)) return false;
    }
    return true;
  }

  bool ReadContentToken(std::uint8_t token, std::size_t offset) {
    if (IsValueToken(token)) {
      CloseStartTag();
      return AppendValueToken(token, offset, Escape::kText);
    }
    last_value_ = LastValue::kNone;
    switch (token) {
      case kElement: return StartElement(offset);
      case kEndElement: return EndElement(offset);
      case kComment: {
        const auto text = cursor_.TextData();
        if (!text) return FailTruncated(offset);
        CloseStartTag();
        out_ += "<!--";
        AppendUtf16(*text, text->size() / 2, Escape::kNone, out_);
        out_ += "-->";
        return true;
      }
      case kPi: return ReadProcessingInstruction(offset);
      case kCData: return ReadCData(offset);
      case kXmlText: return ReadXmlText(offset);
      case kDocType: return ReadDocType(offset);
      case kNest:
        if (nests_.size() + elements_.size() >= limits_.max_depth) return FailTooDeep(offset);
        CloseStartTag();
        nests_.push_back(std::move(tables_));
        tables_ = NameTables{};
        return ReadHeader();
      case kEndNest:
        if (nests_.empty()) return Fail(offset, "END-NEST stands outside an embedded document.");
        tables_ = std::move(nests_.back());
        nests_.pop_back();
        return true;
      default:
        break;
    }
    if (TokenName(token) != nullptr) return Fail(offset, "Token " + TokenText(token) + " cannot stand here.");
    return Fail(offset, "Token " + TokenText(token) + " is not a binary xml token.");
  }

  bool FailTooDeep(std::size_t offset) {
    return Fail(offset, "Elements nest deeper than " + std::to_string(limits_.max_depth) + " levels.");
  }

  // ---- elements and attributes ----------------------------------------------------------------

  bool StartElement(std::size_t offset) {
    const auto name = ReadQNameReference(offset);
    if (!name) return false;
    if (nests_.size() + elements_.size() >= limits_.max_depth) return FailTooDeep(offset);
    CloseStartTag();
    elements_.push_back(OpenElement{name->prefix, name->local, true});
    out_.push_back('<');
    AppendName(name->prefix, name->local);
    ImplyNamespace(*name, false);
    in_start_tag_ = true;
    attribute_count_ = 0;
    return true;
  }

  bool StartAttribute(std::size_t offset) {
    if (!EndAttribute()) return false;
    const auto name = ReadQNameReference(offset);
    if (!name) return false;
    ++attribute_count_;
    out_.push_back(' ');
    AppendName(name->prefix, name->local);
    out_ += "=\"";
    attribute_open_ = true;
    last_value_ = LastValue::kNone;
    declared_prefix_ = DeclaredPrefix(*name);
    declared_uri_.clear();
    if (!declared_prefix_) ImplyNamespace(*name, true);
    return true;
  }

  // Closes the quote of the attribute being written; a namespace declaration takes effect.
  bool EndAttribute() {
    if (!attribute_open_) return true;
    out_.push_back('"');
    attribute_open_ = false;
    if (declared_prefix_) {
      Declare(*declared_prefix_, Intern(declared_uri_), false);
      declared_prefix_.reset();
    }
    return true;
  }

  // The attribute list is over: namespace declarations the data left out follow the attributes.
  void EndStartTag() {
    in_start_tag_ = false;
    last_value_ = LastValue::kNone;
    const std::size_t depth = elements_.size();
    std::size_t first = bindings_.size();
    while (first > 0 && bindings_[first - 1].depth == depth) --first;
    for (std::size_t i = first; i < bindings_.size(); ++i) {
      const Binding& binding = bindings_[i];
      if (!binding.implied) continue;
      out_ += " xmlns";
      if (binding.prefix != kEmptyAtom) {
        out_.push_back(':');
        out_ += AtomText(binding.prefix);
      }
      out_ += "=\"";
      AppendEscaped(AtomText(binding.uri), Escape::kAttribute, out_);
      out_.push_back('"');
    }
  }

  void CloseStartTag() {
    if (!elements_.empty() && elements_.back().start_tag_open) {
      out_.push_back('>');
      elements_.back().start_tag_open = false;
    }
  }

  bool EndElement(std::size_t offset) {
    if (elements_.empty()) return Fail(offset, "END-ELEMENT has no element to end.");
    const OpenElement element = elements_.back();
    if (element.start_tag_open) {
      out_ += " />";
    } else {
      out_ += "</";
      AppendName(element.prefix, element.local);
      out_.push_back('>');
    }
    const std::size_t depth = elements_.size();
    while (!bindings_.empty() && bindings_.back().depth == depth) {
      binding_head_[bindings_.back().prefix] = bindings_.back().previous;
      bindings_.pop_back();
    }
    elements_.pop_back();
    return true;
  }

  // ---- values ---------------------------------------------------------------------------------

  bool AppendValueToken(std::uint8_t token, std::size_t offset, Escape escape) {
    const LastValue kind = IsTextValueToken(token) ? LastValue::kText : LastValue::kTyped;
    if (kind == LastValue::kTyped && last_value_ == LastValue::kTyped) out_.push_back(' ');
    last_value_ = kind;
    const std::size_t payload = cursor_.position();
    if (token == kXsdQName) {
      const auto name = ReadQNameReference(offset);
      if (!name) return false;
      if (name->prefix == kEmptyAtom) {
        AppendEscaped(AtomText(name->local), escape, out_);
      } else {
        AppendEscaped(AtomText(name->prefix) + ":" + AtomText(name->local), escape, out_);
      }
    } else {
      std::string error;
      if (!AppendValue(token, cursor_, escape, out_, error)) return Fail(offset, std::move(error));
    }
    if (attribute_open_ && declared_prefix_) {
      // A namespace declaration's value is its uri, kept unescaped.
      Cursor again(cursor_.bytes(), payload);
      std::string error;
      if (token != kXsdQName) AppendValue(token, again, Escape::kNone, declared_uri_, error);
    }
    return true;
  }

  // ---- other content --------------------------------------------------------------------------

  bool ReadProcessingInstruction(std::size_t offset) {
    const auto index = cursor_.Mb32();
    if (!index) return FailTruncated(offset);
    if (*index >= tables_.names.size()) {
      return Fail(offset, "A processing instruction uses name " + std::to_string(*index) + ", which was never defined.");
    }
    const auto text = cursor_.TextData();
    if (!text) return FailTruncated(offset);
    CloseStartTag();
    out_ += "<?";
    out_ += AtomText(tables_.names[*index]);
    if (!text->empty()) {
      out_.push_back(' ');
      AppendUtf16(*text, text->size() / 2, Escape::kNone, out_);
    }
    out_ += "?>";
    return true;
  }

  // One or more CDATA pieces, then END-CDATA; shown as one section.
  bool ReadCData(std::size_t offset) {
    scratch_.clear();
    for (;;) {
      const auto text = cursor_.TextData();
      if (!text) return FailTruncated(offset);
      AppendUtf16(*text, text->size() / 2, Escape::kNone, scratch_);
      const auto next = cursor_.Byte();
      if (!next) return FailTruncated(offset);
      if (*next == kEndCData) break;
      if (*next != kCData) return Fail(cursor_.position() - 1, "A CDATA section is not ended by END-CDATA.");
    }
    CloseStartTag();
    out_ += "<![CDATA[";
    // "]]>" cannot stand inside a section: end the section between "]]" and ">".
    std::size_t from = 0;
    for (std::size_t at = scratch_.find("]]>"); at != std::string::npos; at = scratch_.find("]]>", from)) {
      out_.append(scratch_, from, at + 2 - from);
      out_ += "]]><![CDATA[";
      from = at + 2;
    }
    out_.append(scratch_, from);
    out_ += "]]>";
    return true;
  }

  // Xml kept as text inside the binary form; written as it is, without an xml declaration.
  bool ReadXmlText(std::size_t offset) {
    const auto text = cursor_.TextData();
    if (!text) return FailTruncated(offset);
    CloseStartTag();
    scratch_.clear();
    AppendUtf16(*text, text->size() / 2, Escape::kNone, scratch_);
    std::string_view view = scratch_;
    if (view.substr(0, 5) == "<?xml" && view.size() > 5 && (view[5] == ' ' || view[5] == '?')) {
      const std::size_t end = view.find("?>");
      view.remove_prefix(end == std::string_view::npos ? view.size() : end + 2);
    }
    out_ += view;
    return true;
  }

  // <!DOCTYPE name PUBLIC "p" "s" [subset]>; not shown for an embedded document.
  bool ReadDocType(std::size_t offset) {
    const auto name = cursor_.TextData();
    if (!name) return FailTruncated(offset);
    std::optional<ByteReader> system, public_id, subset;
    if (cursor_.Peek() == kSystem) {
      cursor_.Byte();
      if (!(system = cursor_.TextData())) return FailTruncated(offset);
    }
    if (cursor_.Peek() == kPublic) {
      cursor_.Byte();
      if (!(public_id = cursor_.TextData())) return FailTruncated(offset);
    }
    if (cursor_.Peek() == kSubset) {
      cursor_.Byte();
      if (!(subset = cursor_.TextData())) return FailTruncated(offset);
    }
    if (!nests_.empty()) return true;
    CloseStartTag();
    out_ += "<!DOCTYPE ";
    AppendUtf16(*name, name->size() / 2, Escape::kNone, out_);
    if (public_id) {
      out_ += " PUBLIC \"";
      AppendUtf16(*public_id, public_id->size() / 2, Escape::kNone, out_);
      out_ += "\" \"";
      if (system) AppendUtf16(*system, system->size() / 2, Escape::kNone, out_);
      out_.push_back('"');
    } else if (system) {
      out_ += " SYSTEM \"";
      AppendUtf16(*system, system->size() / 2, Escape::kNone, out_);
      out_.push_back('"');
    }
    if (subset) {
      out_ += " [";
      AppendUtf16(*subset, subset->size() / 2, Escape::kNone, out_);
      out_.push_back(']');
    }
    out_.push_back('>');
    return true;
  }

  bool CheckComplete() {
    const std::size_t end = cursor_.position();
    if (in_start_tag_ && attribute_count_ > 0) return Fail(end, "The data ends inside an attribute list.");
    if (!elements_.empty()) {
      std::string name = AtomText(elements_.back().prefix);
      if (!name.empty()) name.push_back(':');
      name += AtomText(elements_.back().local);
      return Fail(end, "The data ends inside element <" + name + ">, " + std::to_string(elements_.size()) +
                           " element(s) deep.");
    }
    if (!nests_.empty()) return Fail(end, "The data ends inside an embedded document.");
    return true;
  }

  Cursor cursor_;
  BinaryXmlLimits limits_;
  std::size_t text_limit_ = 0;
  std::string out_;
  std::string error_;
  std::size_t error_offset_ = 0;
  std::string scratch_;

  std::deque<std::string> atoms_;  // a deque keeps every string in place, so the map's keys stay valid
  std::unordered_map<std::string_view, Atom> atom_ids_;
  Atom xml_atom_ = 0;
  Atom xmlns_atom_ = 0;
  Atom xml_namespace_atom_ = 0;
  Atom xmlns_namespace_atom_ = 0;

  NameTables tables_;
  std::vector<NameTables> nests_;  // tables of the enclosing documents of an embedded one

  std::vector<Binding> bindings_;
  std::vector<std::int64_t> binding_head_;  // by prefix atom: innermost binding, or -1

  std::vector<OpenElement> elements_;
  bool in_start_tag_ = false;
  std::size_t attribute_count_ = 0;
  bool attribute_open_ = false;
  std::optional<Atom> declared_prefix_;
  std::string declared_uri_;
  LastValue last_value_ = LastValue::kNone;
};

}  // namespace

bool LooksLikeBinaryXml(ByteReader bytes) {
  const std::uint8_t version = bytes.u8_or(kVersionOffset);
  return bytes.u8_or(0) == kSignature0 && bytes.u8_or(1) == kSignature1 &&
         (version == kVersion1 || version == kVersion2) && bytes.u16_or(kCodePageOffset) == kCodePageUtf16;
}

BinaryXmlResult DecodeBinaryXml(ByteReader bytes, const BinaryXmlLimits& limits) {
  return Decoder(bytes, limits).Run();
}

}  // namespace portalmend
