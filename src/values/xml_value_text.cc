#include "values/xml_value_text.h"

namespace portalmend {

// The binary xml component is not part of the engine yet: every value converts to nothing.
std::string xml_value_text(const ByteReader& /*bytes*/) { return {}; }

}  // namespace portalmend
