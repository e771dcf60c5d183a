#include "storage/frame.h"

namespace portalmend {

const char* frame_message_name(std::uint32_t message) {
  switch (message) {
    case UM_PROGRESS_RANGE: return "UM_PROGRESS_RANGE";
    case UM_STATUS_TEXT: return "UM_STATUS_TEXT";
    case UM_FATAL_ERROR: return "UM_FATAL_ERROR";
    case UM_OBJECT_SELECTED: return "UM_OBJECT_SELECTED";
    case UM_FOLDER_SELECTED: return "UM_FOLDER_SELECTED";
    case UM_PROGRESS_POS: return "UM_PROGRESS_POS";
    case UM_LOG_LINE: return "UM_LOG_LINE";
    case UM_PAGE_PREVIOUS: return "UM_PAGE_PREVIOUS";
    case UM_PAGE_NEXT: return "UM_PAGE_NEXT";
    default: return "";
  }
}

}  // namespace portalmend
