#pragma once
// The program's own name, as it appears in message box captions and the about box.

namespace portalmend {

extern const char kProductName[];  // "Quillonworks Portalmend v1.0"

}  // namespace portalmend
