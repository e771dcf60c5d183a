#include "tabledata/binary_xml_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "support/binary_xml_writer.h"
#include "tabledata/binary_xml_tokens.h"

namespace portalmend {
namespace {

using namespace binxml;
using Build = std::function<void(BinaryXmlWriter&)>;

std::vector<std::uint8_t> FromHex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

BinaryXmlResult Decode(const std::vector<std::uint8_t>& bytes, const BinaryXmlLimits& limits = {}) {
  return DecodeBinaryXml(ByteReader(bytes), limits);
}

std::vector<std::uint8_t> Document(const Build& build, std::uint8_t version = 1) {
  BinaryXmlWriter writer(version);
  build(writer);
  return writer.take();
}

// Expected texts below come from reading each document the way SQL Server returns xml values.

TEST(BinaryXmlDecoder, ReferenceVectorsDecodeToTheirText) {
  struct Case {
    const char* name;
    std::string hex;
    std::string text;
  };
  std::string long_text_hex = "dfff01b004f0016100ef000001f80111c801";
  for (int i = 0; i < 200; ++i) long_text_hex += "7800";
  long_text_hex += "f7";
  const Case cases[] = {
      {"elem_text", "dfff01b004f0016100ef000001f801110268006900f7", "<a>hi</a>"},
      {"empty_elem", "dfff01b004f0016100ef000001f801f7", "<a />"},
      {"attr", "dfff01b004f0017200ef000001f00269006400ef000002f801f60211013700f511017800f7", "<r id=\"7\">x</r>"},
      {"nested", "dfff01b004f0016100ef000001f0016200ef000002f801f802f7f80211017a00f7f7", "<a><b /><b>z</b></a>"},
      {"typed_int", "dfff01b004f0016100ef000001f801022a000000f7", "<a>42</a>"},
      {"comment", "dfff01b004f303200063002000f0016100ef000001f801f7", "<!-- c --><a />"},
      {"pi", "dfff01b004f00270006900f4010378003d003100f0016100ef000001f801f7", "<?pi x=1?><pi />"},
      {"cdata", "dfff01b004f0016100ef000001f801f2033c0026003e00f1f7", "<a><![CDATA[<&>]]></a>"},
      {"ns_prefix", "dfff01b004f005750072006e003a007800f0017000f0016100ef010203f801f7", "<p:a xmlns:p=\"urn:x\" />"},
      {"xmldecl", "dfff01b004fe0331002e00300000f0016100ef000001f801f7", "<a />"},
      {"two_roots_fragment", "dfff01b004f0016100ef000001f801f7f801f7", "<a /><a />"},
      {"text_only", "dfff01b0041105680065006c006c006f00", "hello"},
      {"escape_text", "dfff01b004f0016100ef000001f80111033c0026003e00f7", "<a>&lt;&amp;&gt;</a>"},
      {"version2_header", "dfff02b004f0016100ef000001f801f7", "<a />"},
      {"flush_names", "dfff01b004f0016100ef000001f801f7e9f0016200ef000001f801f7", "<a /><b />"},
      {"sql_bit", "dfff01b004f0016100ef000001f8010601f7", "<a>1</a>"},
      {"sql_bigint", "dfff01b004f0016100ef000001f80108fbfffffffffffffff7", "<a>-5</a>"},
      {"xsd_boolean", "dfff01b004f0016100ef000001f8018601f7", "<a>true</a>"},
      {"sql_float", "dfff01b004f0016100ef000001f80104000000000000f83ff7", "<a>1.5</a>"},
      {"long_text_200", long_text_hex, "<a>" + std::string(200, 'x') + "</a>"},
  };
  for (const Case& c : cases) {
    const BinaryXmlResult result = Decode(FromHex(c.hex));
    EXPECT_TRUE(result.ok) << c.name << ": " << result.error;
    EXPECT_EQ(result.text, c.text) << c.name;
  }
}

// Each atomic value type, as the text of an element <v>.
TEST(BinaryXmlDecoder, EveryValueTypeReadsAsSqlServerWritesIt) {
  struct Case {
    const char* name;
    Build value;
    std::string text;
  };
  const std::vector<std::uint8_t> uuid = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                          0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};
  const std::vector<std::uint8_t> foo = {'f', 'o', 'o'};
  const Case cases[] = {
      {"smallint", [](auto& w) { w.Le(kSqlSmallInt, 0xFFFE, 2); }, "-2"},
      {"int min", [](auto& w) { w.Le(kSqlInt, 0x80000000u, 4); }, "-2147483648"},
      {"bigint max", [](auto& w) { w.Le(kSqlBigInt, 0x7FFFFFFFFFFFFFFFull, 8); }, "9223372036854775807"},
      {"tinyint", [](auto& w) { w.Le(kSqlTinyInt, 255, 1); }, "255"},
      {"bit 0", [](auto& w) { w.Le(kSqlBit, 0, 1); }, "0"},
      {"bit set", [](auto& w) { w.Le(kSqlBit, 2, 1); }, "1"},
      {"xsd byte", [](auto& w) { w.Le(kXsdByte, 0x80, 1); }, "-128"},
      {"unsigned short", [](auto& w) { w.Le(kXsdUnsignedShort, 65535, 2); }, "65535"},
      {"unsigned int", [](auto& w) { w.Le(kXsdUnsignedInt, 0xFFFFFFFFu, 4); }, "4294967295"},
      {"unsigned long", [](auto& w) { w.Le(kXsdUnsignedLong, ~0ull, 8); }, "18446744073709551615"},
      {"boolean false", [](auto& w) { w.Le(kXsdBoolean, 0, 1); }, "false"},
      {"real", [](auto& w) { w.Real(0.1f); }, "0.1"},
      {"real large", [](auto& w) { w.Real(1e7f); }, "1E+07"},
      {"real seven digits", [](auto& w) { w.Real(1234567.0f); }, "1234567"},
      {"float 1e15", [](auto& w) { w.Float(1e15); }, "1E+15"},
      {"float 15 digits", [](auto& w) { w.Float(123456789012345.0); }, "123456789012345"},
      {"float small", [](auto& w) { w.Float(0.0001); }, "0.0001"},
      {"float smaller", [](auto& w) { w.Float(0.00001); }, "1E-05"},
      {"float negative", [](auto& w) { w.Float(-2.5); }, "-2.5"},
      {"float max", [](auto& w) { w.Float(1.7976931348623157e308); }, "1.7976931348623157E+308"},
      {"float denormal", [](auto& w) { w.Float(5e-324); }, "5E-324"},
      {"float zero", [](auto& w) { w.Float(0.0); }, "0"},
      {"float infinity", [](auto& w) { w.Float(HUGE_VAL); }, "INF"},
      {"float minus infinity", [](auto& w) { w.Float(-HUGE_VAL); }, "-INF"},
      {"float nan", [](auto& w) { w.Float(std::numeric_limits<double>::quiet_NaN()); }, "NaN"},
      {"money", [](auto& w) { w.Le(kSqlMoney, 123456, 8); }, "12.3456"},
      {"money negative", [](auto& w) { w.Le(kSqlMoney, static_cast<std::uint64_t>(-1), 8); }, "-0.0001"},
      {"money min", [](auto& w) { w.Le(kSqlMoney, 0x8000000000000000ull, 8); }, "-922337203685477.5808"},
      {"smallmoney", [](auto& w) { w.Le(kSqlSmallMoney, 12345600, 4); }, "1234.5600"},
      {"uuid", [&](auto& w) { w.Value(kSqlUuid, uuid); }, "03020100-0504-0706-0809-0A0B0C0D0E0F"},
      {"decimal keeps scale", [](auto& w) { w.Decimal(kSqlDecimal, 5, 2, true, {1250}); }, "12.50"},
      {"decimal negative", [](auto& w) { w.Decimal(kSqlDecimal, 5, 2, false, {1250}); }, "-12.50"},
      {"decimal below one", [](auto& w) { w.Decimal(kSqlNumeric, 5, 3, true, {5}); }, "0.005"},
      {"decimal 38 digits", [](auto& w) { w.Decimal(kSqlDecimal, 38, 0, true, {0xFFFFFFFF, 0x098A223F, 0x5A86C47A, 0x4B3B4CA8}); },
       "99999999999999999999999999999999999999"},
      {"xsd decimal trims zeros", [](auto& w) { w.Decimal(kXsdDecimal, 5, 2, true, {1250}); }, "12.5"},
      {"xsd decimal whole", [](auto& w) { w.Decimal(kXsdDecimal, 5, 2, true, {1200}); }, "12"},
      {"xsd decimal zero", [](auto& w) { w.Decimal(kXsdDecimal, 5, 2, false, {0}); }, "0"},
      {"binary", [&](auto& w) { w.Sized(kSqlBinary, foo); }, "Zm9v"},
      {"varbinary two bytes", [](auto& w) { w.Sized(kSqlVarBinary, {'f', 'o'}); }, "Zm8="},
      {"image one byte", [](auto& w) { w.Sized(kSqlImage, {'f'}); }, "Zg=="},
      {"udt", [&](auto& w) { w.Sized(kSqlUdt, foo); }, "Zm9v"},
      {"base64 empty", [](auto& w) { w.Sized(kXsdBase64, {}); }, ""},
      {"binhex", [](auto& w) { w.Sized(kXsdBinHex, {0xDE, 0xAD, 0xBE, 0xEF}); }, "DEADBEEF"},
      {"char 1252", [](auto& w) { w.CodePageText(kSqlChar, 1252, {'c', 'a', 'f', 0xE9, 0x80}); }, "caf\xC3\xA9\xE2\x82\xAC"},
      {"varchar utf8", [](auto& w) { w.CodePageText(kSqlVarChar, 65001, {0xC3, 0xB1}); }, "\xC3\xB1"},
      {"text escaped", [](auto& w) { w.CodePageText(kSqlText, 1252, {'<', '&', '>'}); }, "&lt;&amp;&gt;"},
      {"char unknown code page", [](auto& w) { w.CodePageText(kSqlChar, 99999, {0xE9}); }, "\xC3\xA9"},
      {"nchar", [](auto& w) { w.UnicodeText(kSqlNChar, "\xC3\xB1"); }, "\xC3\xB1"},
      {"ntext", [](auto& w) { w.UnicodeText(kSqlNText, "x"); }, "x"},
      {"nvarchar surrogate pair", [](auto& w) { w.Text("\xF0\x9F\x98\x80"); }, "\xF0\x9F\x98\x80"},
      {"nvarchar lone surrogate", [](auto& w) { w.Byte(kSqlNVarChar).Mb(1).Bytes({0x00, 0xD8}); }, "\xEF\xBF\xBD"},
      {"datetime epoch", [](auto& w) { w.Le(kSqlDateTime, 0, 8); }, "1900-01-01T00:00:00"},
      {"datetime ticks round", [](auto& w) { w.Le(kSqlDateTime, 40000ull | (2ull << 32), 8); }, "2009-07-08T00:00:00.007"},
      {"datetime afternoon", [](auto& w) { w.Le(kSqlDateTime, 40000ull | ((300ull * 3600 * 13 + 1) << 32), 8); },
       "2009-07-08T13:00:00.003"},
      {"datetime 1753", [](auto& w) { w.Le(kSqlDateTime, static_cast<std::uint32_t>(-53690), 8); }, "1753-01-01T00:00:00"},
      {"smalldatetime last", [](auto& w) { w.Le(kSqlSmallDateTime, 65535u | (1439u << 16), 4); }, "2079-06-06T23:59:00"},
      {"xsd dateTime", [](auto& w) { w.Le(kXsdDateTime, 1542986668802000ull, 8); }, "2002-10-10T12:00:00.500Z"},
      {"xsd date with zone", [](auto& w) { w.Le(kXsdDate, 31074035760ull, 8); }, "2002-10-10+05:00"},
      {"xsd date utc", [](auto& w) { w.Le(kXsdDate, 31074036960ull, 8); }, "2002-10-10Z"},
      {"xsd time", [](auto& w) { w.Le(kXsdTime, 192001000ull, 8); }, "13:20:00.250Z"},
      {"date", [](auto& w) { w.Date2(733167); }, "2008-05-06"},
      {"date last", [](auto& w) { w.Date2(3652058); }, "9999-12-31"},
      {"datetime2 scale 7", [](auto& w) { w.DateTime2(kXsdDateTime2, 7, 123456789, 733167, 0); }, "2008-05-06T00:00:12.3456789"},
      {"datetime2 scale 0", [](auto& w) { w.DateTime2(kXsdDateTime2, 0, 3661, 733167, 0); }, "2008-05-06T01:01:01"},
      {"datetime2 scale 3", [](auto& w) { w.DateTime2(kXsdDateTime2, 3, 1500, 733167, 0); }, "2008-05-06T00:00:01.5"},
      {"time", [](auto& w) { w.DateTime2(kXsdTime2, 4, 36000001, 0, 0); }, "01:00:00.0001"},
      {"datetimeoffset", [](auto& w) { w.DateTime2(kXsdDateTimeOffset, 0, 36000, 733167, 120); }, "2008-05-06T12:00:00+02:00"},
      {"datetimeoffset west", [](auto& w) { w.DateTime2(kXsdDateTimeOffset, 0, 1800, 733167, -330); }, "2008-05-05T19:00:00-05:30"},
      {"datetimeoffset utc", [](auto& w) { w.DateTime2(kXsdDateTimeOffset, 0, 1800, 733167, 0); }, "2008-05-06T00:30:00Z"},
      {"largest stored day and time", [](auto& w) { w.DateTime2(kXsdDateTimeOffset, 7, (1ull << 40) - 1, 0xFFFFFF, 840); },
       "45935-06-18T20:32:31.1627775+14:00"},
      {"dateoffset", [](auto& w) { w.DateTime2(kXsdDateOffset, 0, 0, 733167, 120); }, "2008-05-06+02:00"},
      {"timeoffset", [](auto& w) { w.DateTime2(kXsdTimeOffset, 0, 36000, 0, 120); }, "12:00:00+02:00"},
      {"qname prefixed", [](auto& w) { w.QNameValue(w.QName("b", "p", "urn:p")); }, "p:b"},
      {"qname plain", [](auto& w) { w.QNameValue(w.QName("b")); }, "b"},
  };
  for (const Case& c : cases) {
    // Names a value needs (qname values) are defined inside the element, as the format allows.
    const auto bytes = Document([&](BinaryXmlWriter& w) {
      w.Element("v");
      c.value(w);
      w.EndElement();
    }, 2);
    const BinaryXmlResult result = Decode(bytes);
    ASSERT_TRUE(result.ok) << c.name << ": " << result.error;
    EXPECT_EQ(result.text, "<v>" + c.text + "</v>") << c.name;
  }
}

TEST(BinaryXmlDecoder, DocumentsShowTheirStructureAsText) {
  struct Case {
    const char* name;
    Build build;
    std::string text;
  };
  const Case cases[] = {
      {"attributes in order",
       [](auto& w) { w.Element("r").Attribute("a").Text("1").Attribute("b").Le(kSqlInt, 2, 4).EndAttributes().EndElement(); },
       "<r a=\"1\" b=\"2\" />"},
      {"attribute escaping",
       [](auto& w) { w.Element("r").Attribute("a").Text("q\"<&>'\t\n\r").EndAttributes().EndElement(); },
       "<r a=\"q&quot;&lt;&amp;&gt;'&#x9;&#xA;&#xD;\" />"},
      {"text escaping", [](auto& w) { w.Element("t").Text("a\r\nb\t\"c\" \x01").EndElement(); },
       "<t>a&#xD;\nb\t\"c\" &#x1;</t>"},
      {"attribute without value", [](auto& w) { w.Element("r").Attribute("a").EndAttributes().EndElement(); }, "<r a=\"\" />"},
      {"empty text keeps both tags", [](auto& w) { w.Element("a").Text("").EndElement(); }, "<a></a>"},
      {"text split over tokens", [](auto& w) { w.Element("a").Text("ab").Text("cd").EndElement(); }, "<a>abcd</a>"},
      {"typed list joined by spaces",
       [](auto& w) { w.Element("a").Le(kSqlInt, 1, 4).Le(kSqlInt, 2, 4).Le(kSqlInt, 3, 4).EndElement(); }, "<a>1 2 3</a>"},
      {"attribute value split",
       [](auto& w) { w.Element("r").Attribute("a").Text("x").Text("y").EndAttributes().Le(kSqlInt, 5, 4).EndElement(); },
       "<r a=\"xy\">5</r>"},
      {"mixed content",
       [](auto& w) { w.Element("p").Text("a ").Element("b").Text("bold").EndElement().Text(" z").EndElement(); },
       "<p>a <b>bold</b> z</p>"},
      {"default namespace implied once",
       [](auto& w) { w.Element("a", "", "urn:d").Element("b", "", "urn:d").EndElement().EndElement(); },
       "<a xmlns=\"urn:d\"><b /></a>"},
      {"default namespace undeclared",
       [](auto& w) { w.Element("a", "", "urn:d").Element("b").EndElement().EndElement(); },
       "<a xmlns=\"urn:d\"><b xmlns=\"\" /></a>"},
      {"declaration as stored by SQL Server",
       [](auto& w) {
         w.Element("a", "p", "urn:p").AttributeRef(w.DefineQName(0, w.DefineName("xmlns:p"), 0)).Text("urn:p");
         w.EndAttributes().Element("b", "p", "urn:p").EndElement().EndElement();
       },
       "<p:a xmlns:p=\"urn:p\"><p:b /></p:a>"},
      {"declaration in the xmlns namespace",
       [](auto& w) {
         w.Element("a", "p", "urn:p").Attribute("p", "xmlns", "http://www.w3.org/2000/xmlns/").Text("urn:p");
         w.EndAttributes().EndElement();
       },
       "<p:a xmlns:p=\"urn:p\" />"},
      {"default declaration stored",
       [](auto& w) { w.Element("a", "", "urn:d").Attribute("xmlns").Text("urn:d").EndAttributes().EndElement(); },
       "<a xmlns=\"urn:d\" />"},
      {"attribute prefix implied after attributes",
       [](auto& w) { w.Element("a").Attribute("b", "q", "urn:q").Text("1").EndAttributes().EndElement(); },
       "<a q:b=\"1\" xmlns:q=\"urn:q\" />"},
      {"xml prefix needs no declaration",
       [](auto& w) {
         w.Element("a").Attribute("lang", "xml", "http://www.w3.org/XML/1998/namespace").Text("en").EndAttributes().EndElement();
       },
       "<a xml:lang=\"en\" />"},
      {"declaration ends with its element",
       [](auto& w) { w.Element("r").Element("a", "p", "urn:p").EndElement().Element("b", "p", "urn:p").EndElement().EndElement(); },
       "<r><p:a xmlns:p=\"urn:p\" /><p:b xmlns:p=\"urn:p\" /></r>"},
      {"prefix rebound inside", [](auto& w) {
         w.Element("a", "p", "urn:1").Element("b", "p", "urn:2").EndElement().Element("c", "p", "urn:1").EndElement().EndElement();
       },
       "<p:a xmlns:p=\"urn:1\"><p:b xmlns:p=\"urn:2\" /><p:c /></p:a>"},
      {"comment and processing instructions",
       [](auto& w) { w.Comment("c").Pi("go", "").Element("a").Pi("x", "y z").Comment("").EndElement(); },
       "<!--c--><?go?><a><?x y z?><!----></a>"},
      {"cdata pieces joined and split at ]]>",
       [](auto& w) { w.Element("a").CData({"x]]", ">y"}).EndElement(); }, "<a><![CDATA[x]]]]><![CDATA[>y]]></a>"},
      {"xml declaration with encoding and standalone",
       [](auto& w) { w.XmlDecl("1.0", "utf-16", 1).Element("a").EndElement(); }, "<a />"},
      {"doctype with ids and subset",
       [](auto& w) { w.DocType("a", "a.dtd", "-//X//EN", "<!ENTITY e 'v'>").Element("a").EndElement(); },
       "<!DOCTYPE a PUBLIC \"-//X//EN\" \"a.dtd\" [<!ENTITY e 'v'>]><a />"},
      {"doctype system only", [](auto& w) { w.DocType("a", "a.dtd", nullptr, nullptr).Element("a").EndElement(); },
       "<!DOCTYPE a SYSTEM \"a.dtd\"><a />"},
      {"embedded text xml", [](auto& w) { w.Element("a").XmlText("<?xml version=\"1.0\"?><b>1</b>").EndElement(); },
       "<a><b>1</b></a>"},
      {"extension skipped", [](auto& w) { w.Extension({1, 2, 3}).Element("a").Extension({}).Text("x").EndElement(); },
       "<a>x</a>"},
      {"nested document with its own names",
       [](auto& w) {
         w.Element("outer");
         w.Nest().XmlDecl("1.0", "", 0).DocType("n", nullptr, nullptr, nullptr).Element("inner").Text("i").EndElement().EndNest();
         w.Element("after").EndElement().EndElement();
       },
       "<outer><inner>i</inner><after /></outer>"},
      {"flush inside an element",
       [](auto& w) { w.Element("long-name").Flush().Element("b").EndElement().EndElement(); },
       "<long-name><b /></long-name>"},
      {"names defined between attributes",
       [](auto& w) { w.Element("a").Attribute("x").Text("1").Attribute("y").Text("2").EndAttributes().EndElement(); },
       "<a x=\"1\" y=\"2\" />"},
      {"empty document", [](auto&) {}, ""},
  };
  for (const Case& c : cases) {
    const BinaryXmlResult result = Decode(Document(c.build));
    EXPECT_TRUE(result.ok) << c.name << ": " << result.error;
    EXPECT_EQ(result.text, c.text) << c.name;
  }
}

TEST(BinaryXmlDecoder, BadDataGivesNoTextAndSaysWhy) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string error;  // part of the sentence
  };
  auto doc = [](const Build& build) { return Document(build); };
  const Case cases[] = {
      {"too short", {0xDF, 0xFF, 0x01}, "too short"},
      {"no signature", {0x3C, 0x00, 0x61, 0x00, 0x3E, 0x00}, "signature"},
      {"unknown version", {0xDF, 0xFF, 0x03, 0xB0, 0x04}, "version 3"},
      {"other code page", {0xDF, 0xFF, 0x01, 0xE4, 0x04}, "code page 1200"},
      {"unknown token", doc([](auto& w) { w.Element("a").Byte(0x55).EndElement(); }), "0x55 is not a binary xml token"},
      {"unassigned value type", doc([](auto& w) { w.Element("a").Byte(0x15).EndElement(); }), "0x15"},
      {"text length past the end", doc([](auto& w) { w.Element("a").Byte(kSqlNVarChar).Mb(1000).Utf16("ab"); }), "past the end"},
      {"huge text length", doc([](auto& w) { w.Element("a").Byte(kSqlNVarChar).Mb(~0ull >> 1).Utf16("ab"); }), "past the end"},
      {"binary length past the end", doc([](auto& w) { w.Element("a").Byte(kSqlVarBinary).Mb(5).Bytes({1}); }), "past the end"},
      {"name length past the end", doc([](auto& w) { w.Byte(kNameDef).Mb(0xFFFFFFFF).Utf16("a"); }), "middle of a token"},
      {"mb32 of six bytes", doc([](auto& w) { w.Byte(kElement).Bytes({0x81, 0x80, 0x80, 0x80, 0x80, 0x00}); }), "middle of a token"},
      {"mb32 above 32 bits", doc([](auto& w) { w.Byte(kElement).Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x7F}); }), "middle of a token"},
      {"qname of undefined name", doc([](auto& w) { w.Byte(kQNameDef).Mb(0).Mb(0).Mb(7); }), "name 7, which was never defined"},
      {"element of undefined qname", doc([](auto& w) { w.QName("a"); w.ElementRef(2).EndElement(); }), "Qualified name 2"},
      {"element of qname 0", doc([](auto& w) { w.ElementRef(0).EndElement(); }), "Qualified name 0"},
      {"attribute of undefined qname", doc([](auto& w) { w.Element("a").AttributeRef(9).EndAttributes().EndElement(); }),
       "Qualified name 9"},
      {"qname value undefined", doc([](auto& w) { w.Element("a").QNameValue(5).EndElement(); }), "Qualified name 5"},
      {"qname used after flush", doc([](auto& w) { w.QName("a"); w.Flush().ElementRef(1).EndElement(); }), "Qualified name 1"},
      {"pi of undefined name", doc([](auto& w) { w.Byte(kPi).Mb(4).TextData("x"); }), "name 4"},
      {"end-attributes without attribute", doc([](auto& w) { w.Element("a").EndAttributes().EndElement(); }), "no attribute"},
      {"attribute list not ended", doc([](auto& w) { w.Element("a").Attribute("b").Text("1").EndElement(); }), "not ended"},
      {"attribute outside a start tag", doc([](auto& w) { w.Element("a").Text("x").Attribute("b").EndElement(); }), "cannot stand here"},
      {"end-element with nothing open", doc([](auto& w) { w.EndElement(); }), "no element to end"},
      {"end-nest outside", doc([](auto& w) { w.EndNest(); }), "outside an embedded document"},
      {"nest not ended", doc([](auto& w) { w.Nest().Element("a").EndElement(); }), "inside an embedded document"},
      {"nested header broken", doc([](auto& w) { w.Byte(kNest).Bytes({0xDF, 0xFF, 0x09, 0xB0, 0x04}); }), "version 9"},
      {"element not ended", doc([](auto& w) { w.Element("a").Element("b").EndElement(); }), "inside element <a>"},
      {"cdata not ended", doc([](auto& w) { w.Element("a").Byte(kCData).TextData("x").Text("y").EndElement(); }), "END-CDATA"},
      {"stray end-cdata", doc([](auto& w) { w.Byte(kEndCData); }), "cannot stand here"},
      {"xml declaration in the middle", doc([](auto& w) { w.Element("a").EndElement().XmlDecl("1.0", "", 0); }), "cannot stand here"},
      {"bad standalone", doc([](auto& w) { w.XmlDecl("1.0", "", 3); }), "standalone"},
      {"decimal of odd length", doc([](auto& w) { w.Element("a").Byte(kSqlDecimal).Mb(6).Bytes({5, 2, 1, 0, 0, 0}).EndElement(); }),
       "length of 6"},
      {"decimal too long", doc([](auto& w) { w.Element("a").Decimal(kSqlDecimal, 38, 0, true, {1, 2, 3, 4, 5}).EndElement(); }),
       "length of 23"},
      {"time scale above 7", doc([](auto& w) { w.Element("a").Value(kXsdTime2, {8, 0, 0, 0, 0, 0, 0, 0}).EndElement(); }), "scale"},
      {"xsd datetime negative", doc([](auto& w) { w.Element("a").Le(kXsdDateTime, ~0ull, 8).EndElement(); }), "range"},
      {"xsd time past midnight", doc([](auto& w) { w.Element("a").Le(kXsdTime, 24ull * 3600 * 1000 * 4, 8).EndElement(); }), "range"},
      {"char without code page", doc([](auto& w) { w.Element("a").Sized(kSqlChar, {1, 2}).EndElement(); }), "code page"},
      {"extension past the end", doc([](auto& w) { w.Byte(kExtension).Mb(10).Bytes({1}); }), "middle of a token"},
  };
  for (const Case& c : cases) {
    const BinaryXmlResult result = Decode(c.bytes);
    EXPECT_FALSE(result.ok) << c.name << " gave: " << result.text;
    EXPECT_TRUE(result.text.empty()) << c.name;
    EXPECT_NE(result.error.find(c.error), std::string::npos) << c.name << ": " << result.error;
    EXPECT_LE(result.error_offset, c.bytes.size()) << c.name;
  }
}

// These single-root documents, cut anywhere from inside the header up to their last byte, fail:
// the header is incomplete, a token is cut, or the root element is never closed. (A cut before the
// root starts can leave a complete, empty document.)
TEST(BinaryXmlDecoder, EveryCutOffValueFails) {
  struct Document {
    std::vector<std::uint8_t> bytes;
    std::size_t root;  // offset of the root's ELEMENT token
  };
  std::vector<Document> documents;
  {
    BinaryXmlWriter w;
    w.XmlDecl("1.0", "utf-8", 2).Comment("c");
    const std::uint32_t a = w.QName("a", "p", "urn:p");
    const std::size_t root = w.bytes().size();
    w.ElementRef(a).Attribute("x").Le(kSqlInt, 7, 4);
    w.Attribute("y").Text("v").EndAttributes().Text("t").CData({"c"}).Pi("pi", "d").Decimal(kSqlDecimal, 5, 1, true, {5});
    w.Nest().Element("n").EndElement().EndNest().Extension({9}).Flush().Element("b").EndElement().EndElement();
    documents.push_back({w.take(), root});
  }
  {
    BinaryXmlWriter w(2);
    const std::uint32_t d = w.QName("d");
    const std::size_t root = w.bytes().size();
    w.ElementRef(d).DateTime2(kXsdDateTimeOffset, 7, 1, 2, 3).Sized(kXsdBase64, {1, 2, 3}).Le(kSqlUuid, 0, 16);
    w.CodePageText(kSqlVarChar, 1252, {'a'}).XmlText("<z/>").QNameValue(d).EndElement();
    documents.push_back({w.take(), root});
  }
  for (const Document& document : documents) {
    ASSERT_TRUE(Decode(document.bytes).ok);
    for (std::size_t length = 0; length < document.bytes.size(); ++length) {
      if (length >= kHeaderSize && length <= document.root) continue;
      const std::vector<std::uint8_t> cut(document.bytes.begin(), document.bytes.begin() + static_cast<std::ptrdiff_t>(length));
      const BinaryXmlResult result = Decode(cut);
      EXPECT_FALSE(result.ok) << "cut at " << length;
      EXPECT_TRUE(result.text.empty());
    }
  }
}

TEST(BinaryXmlDecoder, NestingDeeperThanTheLimitFailsWithoutRecursion) {
  auto nested = [](std::size_t depth) {
    BinaryXmlWriter w;
    const std::uint32_t a = w.QName("a");
    for (std::size_t i = 0; i < depth; ++i) w.ElementRef(a);
    for (std::size_t i = 0; i < depth; ++i) w.EndElement();
    return w.take();
  };
  const BinaryXmlResult million = Decode(nested(1'000'000));
  EXPECT_FALSE(million.ok);
  EXPECT_TRUE(million.text.empty());
  EXPECT_NE(million.error.find("deeper than 4096"), std::string::npos) << million.error;

  const BinaryXmlResult deep = Decode(nested(4000));
  ASSERT_TRUE(deep.ok) << deep.error;
  EXPECT_EQ(deep.text.size(), 3999u * 3 + 5 + 3999u * 4);  // <a> ... <a /> ... </a>

  // Embedded documents count as levels too.
  BinaryXmlWriter nests;
  for (int i = 0; i < 5000; ++i) nests.Nest();
  EXPECT_FALSE(Decode(nests.bytes()).ok);

  BinaryXmlLimits shallow;
  shallow.max_depth = 2;
  EXPECT_TRUE(Decode(nested(2), shallow).ok);
  EXPECT_FALSE(Decode(nested(3), shallow).ok);
}

// A long name used by many three-byte elements would make far more text than bytes.
TEST(BinaryXmlDecoder, TextBeyondTheLimitFails) {
  BinaryXmlWriter w;
  const std::uint32_t name = w.QName(std::string(10000, 'n'));
  for (int i = 0; i < 1000; ++i) w.ElementRef(name).EndElement();
  BinaryXmlLimits limits;
  limits.max_text_bytes = 1'000'000;
  const BinaryXmlResult limited = Decode(w.bytes(), limits);
  EXPECT_FALSE(limited.ok);
  EXPECT_NE(limited.error.find("would pass 1000000 bytes"), std::string::npos) << limited.error;
  const BinaryXmlResult unlimited = Decode(w.bytes());
  ASSERT_TRUE(unlimited.ok) << unlimited.error;
  EXPECT_EQ(unlimited.text.size(), 1000u * 10004);
}

TEST(BinaryXmlDecoder, SniffsTheHeader) {
  EXPECT_TRUE(LooksLikeBinaryXml(ByteReader(FromHex("dfff01b004"))));
  EXPECT_TRUE(LooksLikeBinaryXml(ByteReader(FromHex("dfff02b004f0"))));
  EXPECT_FALSE(LooksLikeBinaryXml(ByteReader(FromHex("dfff03b004"))));
  EXPECT_FALSE(LooksLikeBinaryXml(ByteReader(FromHex("3c00610020"))));
  EXPECT_FALSE(LooksLikeBinaryXml(ByteReader(FromHex("dfff01b0"))));
}

}  // namespace
}  // namespace portalmend
