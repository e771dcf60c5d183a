#include "storage/product.h"

namespace portalmend {

const char kProductName[] = "Quillonworks Portalmend v1.0";

}  // namespace portalmend
