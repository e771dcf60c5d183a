#include "values/xml_value_text.h"

#include "tabledata/binary_xml_component.h"

namespace portalmend {

std::string xml_value_text(const ByteReader& bytes) { return ConvertXmlBytes(bytes); }

}  // namespace portalmend
