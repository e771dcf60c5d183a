#pragma once
// The frame: what the engine talks to while it works.
//
// Workers report progress, status texts, errors and log lines as messages to the main
// frame, and update the views (output list, the two trees, records list, definition
// view, page label, caption bar, progress bar) through the view operations below. Every
// call is synchronous: when it returns, the frame has carried it out. The desktop
// frame and the headless frame (command-line tool, tests) both implement this interface.
//
// All texts are UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace portalmend {

// Messages sent to the main frame (the values lie above the first user message number 1024).
enum FrameMessage : std::uint32_t {
  UM_PROGRESS_RANGE = 1028,   // wParam low end, lParam high end of the progress range
  UM_STATUS_TEXT = 1029,      // text: status sentence (shown in the definition view)
  UM_FATAL_ERROR = 1030,      // text: why the data file cannot be used
  UM_OBJECT_SELECTED = 1174,  // text: item text, lParam: objects tree item
  UM_FOLDER_SELECTED = 1178,  // text: item text, lParam: SharePoint tree item
  UM_PROGRESS_POS = 1180,     // wParam: progress position
  UM_LOG_LINE = 1207,         // text: line to report
  UM_PAGE_PREVIOUS = 1214,    // Previous button
  UM_PAGE_NEXT = 1215,        // Next button
};

// Name of a message ("UM_STATUS_TEXT"), or "" for an unknown value.
const char* frame_message_name(std::uint32_t message);

// The two trees of the objects pane.
enum class TreeId { kObjects, kSharePoint };

// A tree item handle. kTreeRoot stands for the invisible root (parent of top-level items);
// kNoTreeItem means "none".
using TreeItem = std::uint64_t;
inline constexpr TreeItem kTreeRoot = 0;
inline constexpr TreeItem kNoTreeItem = ~std::uint64_t{0};

// The controls of the main view and frame that workers show, hide or enable.
enum class FrameControl {
  kRecordsList,
  kDefinitionView,
  kPageLabel,
  kPreviousButton,
  kNextButton,
  kProgressBar,
  kObjectsTree,
  kSharePointTree,
};

class Frame {
 public:
  virtual ~Frame() = default;

  // ---- Messages --------------------------------------------------------------------
  // Sends message with its two parameters and, for the messages that carry one, its
  // text; returns the frame's answer (see the message list).
  virtual std::int64_t send_message(std::uint32_t message, std::uint64_t wparam, std::int64_t lparam,
                                    std::string_view text) = 0;

  // Shorthands for the messages the engine sends.
  void send_progress_range(std::uint64_t high) { send_message(UM_PROGRESS_RANGE, 0, static_cast<std::int64_t>(high), {}); }
  void send_progress_position(std::uint64_t position) { send_message(UM_PROGRESS_POS, position, 0, {}); }
  void send_status_text(std::string_view text) { send_message(UM_STATUS_TEXT, 0, 0, text); }
  void send_fatal_error(std::string_view text) { send_message(UM_FATAL_ERROR, 0, 0, text); }
  void send_log_line(std::string_view text) { send_message(UM_LOG_LINE, 0, 0, text); }

  // ---- Output pane and log file ----------------------------------------------------
  // Adds a line to the output list and writes it to the log file.
  virtual void report_line(std::string_view line) = 0;
  // Replaces the text of the last line of the output list (progress of a row window).
  virtual void replace_last_line(std::string_view line) = 0;
  // Writes text to the log file only.
  virtual void write_log(std::string_view text) = 0;

  // ---- Trees -----------------------------------------------------------------------
  // Inserts an item as the last child of parent (kTreeRoot for a top-level item) with
  // its text, image (also its selected image) and item data; returns the new item.
  virtual TreeItem insert_item(TreeId tree, TreeItem parent, std::string_view text, int image,
                               std::uint64_t item_data = 0) = 0;
  virtual void set_item_data(TreeId tree, TreeItem item, std::uint64_t item_data) = 0;
  virtual std::uint64_t item_data(TreeId tree, TreeItem item) const = 0;
  virtual std::string item_text(TreeId tree, TreeItem item) const = 0;
  // Parent of item (kTreeRoot for a top-level item, kNoTreeItem for an unknown item).
  virtual TreeItem parent_item(TreeId tree, TreeItem item) const = 0;
  // Children of item in tree order (kTreeRoot: the top-level items).
  virtual std::vector<TreeItem> children(TreeId tree, TreeItem item) const = 0;
  virtual void set_bold(TreeId tree, TreeItem item, bool bold) = 0;
  // Sorts the children of item by text.
  virtual void sort_children(TreeId tree, TreeItem item) = 0;
  virtual void expand_all(TreeId tree) = 0;
  // Deletes every item of the tree.
  virtual void clear_tree(TreeId tree) = 0;

  // ---- Records list ----------------------------------------------------------------
  virtual void records_add_column(std::string_view title, int width) = 0;
  virtual void records_delete_columns() = 0;
  virtual int records_column_count() const = 0;
  // Inserts a row at index with the text of column 0 and the row's item data; returns its index.
  virtual int records_insert_item(int index, std::string_view text, std::uint64_t item_data = 0) = 0;
  // Sets the text of one column of a row.
  virtual void records_set_item_text(int index, int column, std::string_view text) = 0;
  virtual std::string records_item_text(int index, int column) const = 0;
  virtual void records_delete_item(int index) = 0;
  virtual void records_delete_all_items() = 0;
  virtual int records_item_count() const = 0;

  // ---- Definition view, page label, caption bar ------------------------------------
  virtual void set_definition_text(std::string_view text) = 0;
  virtual std::string definition_text() const = 0;
  virtual void set_page_label(std::string_view text) = 0;
  virtual void set_caption(std::string_view text) = 0;

  // ---- Progress bar and controls ---------------------------------------------------
  virtual void set_progress_range(std::uint64_t low, std::uint64_t high) = 0;
  virtual void set_progress_position(std::uint64_t position) = 0;
  virtual void show_control(FrameControl control, bool shown) = 0;
  virtual void enable_control(FrameControl control, bool enabled) = 0;
};

}  // namespace portalmend
