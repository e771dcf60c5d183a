#pragma once
// A frame without windows: keeps everything it is told and can print it.
//
// Used by the command-line tool and the tests. It carries out the messages the way the
// desktop frame does (a status text replaces the definition view's text, a fatal error
// resets the progress position and empties the definition view, a log line is reported)
// and records every message, line, tree item and list row so that they can be checked.
// Calls may come from any thread; a mutex keeps the records whole.

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "storage/frame.h"

namespace portalmend {

class HeadlessFrame : public Frame {
 public:
  // One message as the frame received it.
  struct Message {
    std::uint32_t message = 0;
    std::uint64_t wparam = 0;
    std::int64_t lparam = 0;
    std::string text;
  };

  // One item of a tree.
  struct Node {
    std::string text;
    int image = 0;
    std::uint64_t item_data = 0;
    bool bold = false;
    bool expanded = false;
    TreeItem parent = kTreeRoot;
    std::vector<TreeItem> children;
  };

  struct Column {
    std::string title;
    int width = 0;
  };

  struct Row {
    std::uint64_t item_data = 0;
    std::vector<std::string> texts;  // one per column that was set
  };

  HeadlessFrame() = default;

  // When set, reported lines, status texts and errors are also written to this stream as
  // they arrive (the command-line tool's --verbose).
  void set_echo(std::FILE* echo);

  // ---- Frame -----------------------------------------------------------------------
  std::int64_t send_message(std::uint32_t message, std::uint64_t wparam, std::int64_t lparam,
                            std::string_view text) override;
  void report_line(std::string_view line) override;
  void replace_last_line(std::string_view line) override;
  void write_log(std::string_view text) override;
  TreeItem insert_item(TreeId tree, TreeItem parent, std::string_view text, int image,
                       std::uint64_t item_data = 0) override;
  void set_item_data(TreeId tree, TreeItem item, std::uint64_t item_data) override;
  std::uint64_t item_data(TreeId tree, TreeItem item) const override;
  std::string item_text(TreeId tree, TreeItem item) const override;
  TreeItem parent_item(TreeId tree, TreeItem item) const override;
  std::vector<TreeItem> children(TreeId tree, TreeItem item) const override;
  void set_bold(TreeId tree, TreeItem item, bool bold) override;
  void sort_children(TreeId tree, TreeItem item) override;
  void expand_all(TreeId tree) override;
  void clear_tree(TreeId tree) override;
  void records_add_column(std::string_view title, int width) override;
  void records_delete_columns() override;
  int records_column_count() const override;
  int records_insert_item(int index, std::string_view text, std::uint64_t item_data = 0) override;
  void records_set_item_text(int index, int column, std::string_view text) override;
  std::string records_item_text(int index, int column) const override;
  void records_delete_item(int index) override;
  void records_delete_all_items() override;
  int records_item_count() const override;
  void set_definition_text(std::string_view text) override;
  std::string definition_text() const override;
  void set_page_label(std::string_view text) override;
  void set_caption(std::string_view text) override;
  void set_progress_range(std::uint64_t low, std::uint64_t high) override;
  void set_progress_position(std::uint64_t position) override;
  void show_control(FrameControl control, bool shown) override;
  void enable_control(FrameControl control, bool enabled) override;

  // ---- What was kept (copies, safe to call while a worker runs) --------------------
  std::vector<Message> messages() const;
  // Messages with one id, in order.
  std::vector<Message> messages(std::uint32_t message) const;
  std::vector<std::string> lines() const;         // output list
  std::string log_text() const;                   // what went to the log file
  std::vector<std::string> status_texts() const;  // UM_STATUS_TEXT, in order
  std::vector<std::string> errors() const;        // UM_FATAL_ERROR, in order
  std::uint64_t progress_low() const;
  std::uint64_t progress_high() const;
  std::uint64_t progress_position() const;
  std::string page_label() const;
  std::string caption() const;
  std::vector<Column> columns() const;
  std::vector<Row> rows() const;
  bool is_shown(FrameControl control) const;
  bool is_enabled(FrameControl control) const;
  // The node of item, or nullptr-like empty node when unknown.
  Node node(TreeId tree, TreeItem item) const;
  // Number of items in the tree.
  std::size_t item_count(TreeId tree) const;
  // First item with this text among the children of parent, or kNoTreeItem.
  TreeItem find_child(TreeId tree, TreeItem parent, std::string_view text) const;

  // Forgets everything (as at creation).
  void reset();

  // Writes everything kept, section by section, in a stable text form.
  void print(std::ostream& out) const;
  // One tree as indented lines: text, then [bold] and {data=N} when set.
  std::string tree_text(TreeId tree) const;

 private:
  struct Tree {
    std::map<TreeItem, Node> nodes;
    std::vector<TreeItem> top;
    TreeItem next = 1;
  };

  Tree& tree_of(TreeId tree) { return tree == TreeId::kObjects ? objects_ : sharepoint_; }
  const Tree& tree_of(TreeId tree) const { return tree == TreeId::kObjects ? objects_ : sharepoint_; }
  std::vector<TreeItem>* children_of(Tree& tree, TreeItem item);
  const std::vector<TreeItem>* children_of(const Tree& tree, TreeItem item) const;
  void report_line_locked(std::string_view line);
  void echo(const char* prefix, std::string_view text);
  void tree_text_locked(const Tree& tree, const std::vector<TreeItem>& items, int depth, std::string& out) const;

  mutable std::mutex mutex_;
  std::FILE* echo_ = nullptr;
  std::vector<Message> messages_;
  std::vector<std::string> lines_;
  std::string log_;
  std::vector<std::string> status_texts_;
  std::vector<std::string> errors_;
  std::uint64_t progress_low_ = 0;
  std::uint64_t progress_high_ = 0;
  std::uint64_t progress_position_ = 0;
  Tree objects_;
  Tree sharepoint_;
  std::vector<Column> columns_;
  std::vector<Row> rows_;
  std::string definition_;
  std::string page_label_;
  std::string caption_;
  std::map<FrameControl, bool> shown_;
  std::map<FrameControl, bool> enabled_;
};

}  // namespace portalmend
