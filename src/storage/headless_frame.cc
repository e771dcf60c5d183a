#include "storage/headless_frame.h"

#include <algorithm>

namespace portalmend {

namespace {

const char* control_name(FrameControl control) {
  switch (control) {
    case FrameControl::kRecordsList: return "records list";
    case FrameControl::kDefinitionView: return "definition view";
    case FrameControl::kPageLabel: return "page label";
    case FrameControl::kPreviousButton: return "previous button";
    case FrameControl::kNextButton: return "next button";
    case FrameControl::kProgressBar: return "progress bar";
    case FrameControl::kObjectsTree: return "objects tree";
    case FrameControl::kSharePointTree: return "sharepoint tree";
  }
  return "";
}

}  // namespace

void HeadlessFrame::set_echo(std::FILE* echo) {
  std::lock_guard lock(mutex_);
  echo_ = echo;
}

void HeadlessFrame::echo(const char* prefix, std::string_view text) {
  if (echo_ == nullptr) return;
  std::fprintf(echo_, "%s%.*s\n", prefix, static_cast<int>(text.size()), text.data());
  std::fflush(echo_);
}

std::int64_t HeadlessFrame::send_message(std::uint32_t message, std::uint64_t wparam, std::int64_t lparam,
                                         std::string_view text) {
  std::lock_guard lock(mutex_);
  messages_.push_back(Message{message, wparam, lparam, std::string(text)});
  switch (message) {
    case UM_PROGRESS_RANGE:
      progress_position_ = 0;
      progress_low_ = wparam;
      progress_high_ = static_cast<std::uint64_t>(lparam);
      return 1;
    case UM_STATUS_TEXT:
      status_texts_.emplace_back(text);
      definition_ = std::string(text);
      echo("", text);
      return 0;
    case UM_FATAL_ERROR:
      progress_position_ = 0;
      definition_.clear();
      errors_.emplace_back(text);
      echo("error: ", text);
      return 0;
    case UM_PROGRESS_POS:
      progress_position_ = wparam;
      return 1;
    case UM_LOG_LINE:
      report_line_locked(text);
      return 1;
    case UM_OBJECT_SELECTED:
    case UM_FOLDER_SELECTED:
    case UM_PAGE_PREVIOUS:
    case UM_PAGE_NEXT:
      return 1;
    default:
      return 0;
  }
}

void HeadlessFrame::report_line_locked(std::string_view line) {
  lines_.emplace_back(line);
  log_.append(line);
  log_.push_back('\n');
  echo("", line);
}

void HeadlessFrame::report_line(std::string_view line) {
  std::lock_guard lock(mutex_);
  report_line_locked(line);
}

void HeadlessFrame::replace_last_line(std::string_view line) {
  std::lock_guard lock(mutex_);
  if (lines_.empty()) {
    lines_.emplace_back(line);
  } else {
    lines_.back() = std::string(line);
  }
}

void HeadlessFrame::write_log(std::string_view text) {
  std::lock_guard lock(mutex_);
  log_.append(text);
}

std::vector<TreeItem>* HeadlessFrame::children_of(Tree& tree, TreeItem item) {
  if (item == kTreeRoot) return &tree.top;
  auto it = tree.nodes.find(item);
  return it == tree.nodes.end() ? nullptr : &it->second.children;
}

const std::vector<TreeItem>* HeadlessFrame::children_of(const Tree& tree, TreeItem item) const {
  if (item == kTreeRoot) return &tree.top;
  auto it = tree.nodes.find(item);
  return it == tree.nodes.end() ? nullptr : &it->second.children;
}

TreeItem HeadlessFrame::insert_item(TreeId tree_id, TreeItem parent, std::string_view text, int image,
                                    std::uint64_t item_data) {
  std::lock_guard lock(mutex_);
  Tree& tree = tree_of(tree_id);
  std::vector<TreeItem>* siblings = children_of(tree, parent);
  if (siblings == nullptr) return kNoTreeItem;
  const TreeItem item = tree.next++;
  siblings->push_back(item);
  Node node;
  node.text = std::string(text);
  node.image = image;
  node.item_data = item_data;
  node.parent = parent;
  tree.nodes.emplace(item, std::move(node));
  return item;
}

void HeadlessFrame::set_item_data(TreeId tree, TreeItem item, std::uint64_t item_data) {
  std::lock_guard lock(mutex_);
  auto& nodes = tree_of(tree).nodes;
  if (auto it = nodes.find(item); it != nodes.end()) it->second.item_data = item_data;
}

std::uint64_t HeadlessFrame::item_data(TreeId tree, TreeItem item) const {
  std::lock_guard lock(mutex_);
  const auto& nodes = tree_of(tree).nodes;
  auto it = nodes.find(item);
  return it == nodes.end() ? 0 : it->second.item_data;
}

std::string HeadlessFrame::item_text(TreeId tree, TreeItem item) const {
  std::lock_guard lock(mutex_);
  const auto& nodes = tree_of(tree).nodes;
  auto it = nodes.find(item);
  return it == nodes.end() ? std::string() : it->second.text;
}

TreeItem HeadlessFrame::parent_item(TreeId tree, TreeItem item) const {
  std::lock_guard lock(mutex_);
  const auto& nodes = tree_of(tree).nodes;
  auto it = nodes.find(item);
  return it == nodes.end() ? kNoTreeItem : it->second.parent;
}

std::vector<TreeItem> HeadlessFrame::children(TreeId tree, TreeItem item) const {
  std::lock_guard lock(mutex_);
  const std::vector<TreeItem>* list = children_of(tree_of(tree), item);
  return list == nullptr ? std::vector<TreeItem>() : *list;
}

void HeadlessFrame::set_bold(TreeId tree, TreeItem item, bool bold) {
  std::lock_guard lock(mutex_);
  auto& nodes = tree_of(tree).nodes;
  if (auto it = nodes.find(item); it != nodes.end()) it->second.bold = bold;
}

void HeadlessFrame::sort_children(TreeId tree_id, TreeItem item) {
  std::lock_guard lock(mutex_);
  Tree& tree = tree_of(tree_id);
  std::vector<TreeItem>* list = children_of(tree, item);
  if (list == nullptr) return;
  // The tree control compares labels without regard to case; equal labels keep their order.
  auto lower = [](const std::string& s) {
    std::string out = s;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
  };
  std::stable_sort(list->begin(), list->end(), [&](TreeItem a, TreeItem b) {
    return lower(tree.nodes.at(a).text) < lower(tree.nodes.at(b).text);
  });
}

void HeadlessFrame::expand_all(TreeId tree) {
  std::lock_guard lock(mutex_);
  for (auto& [item, node] : tree_of(tree).nodes) {
    if (!node.children.empty()) node.expanded = true;
  }
}

void HeadlessFrame::clear_tree(TreeId tree_id) {
  std::lock_guard lock(mutex_);
  Tree& tree = tree_of(tree_id);
  tree.nodes.clear();
  tree.top.clear();
}

void HeadlessFrame::records_add_column(std::string_view title, int width) {
  std::lock_guard lock(mutex_);
  columns_.push_back(Column{std::string(title), width});
}

void HeadlessFrame::records_delete_columns() {
  std::lock_guard lock(mutex_);
  columns_.clear();
}

int HeadlessFrame::records_column_count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(columns_.size());
}

int HeadlessFrame::records_insert_item(int index, std::string_view text, std::uint64_t item_data) {
  std::lock_guard lock(mutex_);
  const int count = static_cast<int>(rows_.size());
  if (index < 0 || index > count) index = count;
  Row row;
  row.item_data = item_data;
  row.texts.emplace_back(text);
  rows_.insert(rows_.begin() + index, std::move(row));
  return index;
}

void HeadlessFrame::records_set_item_text(int index, int column, std::string_view text) {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<int>(rows_.size()) || column < 0) return;
  auto& texts = rows_[static_cast<std::size_t>(index)].texts;
  if (texts.size() <= static_cast<std::size_t>(column)) texts.resize(static_cast<std::size_t>(column) + 1);
  texts[static_cast<std::size_t>(column)] = std::string(text);
}

std::string HeadlessFrame::records_item_text(int index, int column) const {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<int>(rows_.size()) || column < 0) return {};
  const auto& texts = rows_[static_cast<std::size_t>(index)].texts;
  return static_cast<std::size_t>(column) < texts.size() ? texts[static_cast<std::size_t>(column)] : std::string();
}

void HeadlessFrame::records_delete_item(int index) {
  std::lock_guard lock(mutex_);
  if (index < 0 || index >= static_cast<int>(rows_.size())) return;
  rows_.erase(rows_.begin() + index);
}

void HeadlessFrame::records_delete_all_items() {
  std::lock_guard lock(mutex_);
  rows_.clear();
}

int HeadlessFrame::records_item_count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_.size());
}

void HeadlessFrame::set_definition_text(std::string_view text) {
  std::lock_guard lock(mutex_);
  definition_ = std::string(text);
}

std::string HeadlessFrame::definition_text() const {
  std::lock_guard lock(mutex_);
  return definition_;
}

void HeadlessFrame::set_page_label(std::string_view text) {
  std::lock_guard lock(mutex_);
  page_label_ = std::string(text);
}

void HeadlessFrame::set_caption(std::string_view text) {
  std::lock_guard lock(mutex_);
  caption_ = std::string(text);
}

void HeadlessFrame::set_progress_range(std::uint64_t low, std::uint64_t high) {
  std::lock_guard lock(mutex_);
  progress_low_ = low;
  progress_high_ = high;
}

void HeadlessFrame::set_progress_position(std::uint64_t position) {
  std::lock_guard lock(mutex_);
  progress_position_ = position;
}

void HeadlessFrame::show_control(FrameControl control, bool shown) {
  std::lock_guard lock(mutex_);
  shown_[control] = shown;
}

void HeadlessFrame::enable_control(FrameControl control, bool enabled) {
  std::lock_guard lock(mutex_);
  enabled_[control] = enabled;
}

std::vector<HeadlessFrame::Message> HeadlessFrame::messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<HeadlessFrame::Message> HeadlessFrame::messages(std::uint32_t message) const {
  std::lock_guard lock(mutex_);
  std::vector<Message> out;
  for (const Message& m : messages_) {
    if (m.message == message) out.push_back(m);
  }
  return out;
}

std::vector<std::string> HeadlessFrame::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

std::string HeadlessFrame::log_text() const {
  std::lock_guard lock(mutex_);
  return log_;
}

std::vector<std::string> HeadlessFrame::status_texts() const {
  std::lock_guard lock(mutex_);
  return status_texts_;
}

std::vector<std::string> HeadlessFrame::errors() const {
  std::lock_guard lock(mutex_);
  return errors_;
}

std::uint64_t HeadlessFrame::progress_low() const {
  std::lock_guard lock(mutex_);
  return progress_low_;
}

std::uint64_t HeadlessFrame::progress_high() const {
  std::lock_guard lock(mutex_);
  return progress_high_;
}

std::uint64_t HeadlessFrame::progress_position() const {
  std::lock_guard lock(mutex_);
  return progress_position_;
}

std::string HeadlessFrame::page_label() const {
  std::lock_guard lock(mutex_);
  return page_label_;
}

std::string HeadlessFrame::caption() const {
  std::lock_guard lock(mutex_);
  return caption_;
}

std::vector<HeadlessFrame::Column> HeadlessFrame::columns() const {
  std::lock_guard lock(mutex_);
  return columns_;
}

std::vector<HeadlessFrame::Row> HeadlessFrame::rows() const {
  std::lock_guard lock(mutex_);
  return rows_;
}

bool HeadlessFrame::is_shown(FrameControl control) const {
  std::lock_guard lock(mutex_);
  auto it = shown_.find(control);
  return it != shown_.end() && it->second;
}

bool HeadlessFrame::is_enabled(FrameControl control) const {
  std::lock_guard lock(mutex_);
  auto it = enabled_.find(control);
  return it != enabled_.end() && it->second;
}

HeadlessFrame::Node HeadlessFrame::node(TreeId tree, TreeItem item) const {
  std::lock_guard lock(mutex_);
  const auto& nodes = tree_of(tree).nodes;
  auto it = nodes.find(item);
  return it == nodes.end() ? Node{} : it->second;
}

std::size_t HeadlessFrame::item_count(TreeId tree) const {
  std::lock_guard lock(mutex_);
  return tree_of(tree).nodes.size();
}

TreeItem HeadlessFrame::find_child(TreeId tree_id, TreeItem parent, std::string_view text) const {
  std::lock_guard lock(mutex_);
  const Tree& tree = tree_of(tree_id);
  const std::vector<TreeItem>* list = children_of(tree, parent);
  if (list == nullptr) return kNoTreeItem;
  for (TreeItem item : *list) {
    if (tree.nodes.at(item).text == text) return item;
  }
  return kNoTreeItem;
}

void HeadlessFrame::reset() {
  std::lock_guard lock(mutex_);
  messages_.clear();
  lines_.clear();
  log_.clear();
  status_texts_.clear();
  errors_.clear();
  progress_low_ = progress_high_ = progress_position_ = 0;
  objects_ = Tree{};
  sharepoint_ = Tree{};
  columns_.clear();
  rows_.clear();
  definition_.clear();
  page_label_.clear();
  caption_.clear();
  shown_.clear();
  enabled_.clear();
}

void HeadlessFrame::tree_text_locked(const Tree& tree, const std::vector<TreeItem>& items, int depth,
                                     std::string& out) const {
  for (TreeItem item : items) {
    const Node& node = tree.nodes.at(item);
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    out += node.text;
    if (node.bold) out += " [bold]";
    if (node.item_data != 0) out += " {data=" + std::to_string(node.item_data) + "}";
    out.push_back('\n');
    tree_text_locked(tree, node.children, depth + 1, out);
  }
}

std::string HeadlessFrame::tree_text(TreeId tree_id) const {
  std::lock_guard lock(mutex_);
  const Tree& tree = tree_of(tree_id);
  std::string out;
  tree_text_locked(tree, tree.top, 0, out);
  return out;
}

void HeadlessFrame::print(std::ostream& out) const {
  const std::string objects = tree_text(TreeId::kObjects);
  const std::string sharepoint = tree_text(TreeId::kSharePoint);
  std::lock_guard lock(mutex_);
  out << "== output ==\n";
  for (const std::string& line : lines_) out << line << '\n';
  if (!errors_.empty()) {
    out << "== errors ==\n";
    for (const std::string& error : errors_) out << error << '\n';
  }
  out << "== status ==\n";
  for (const std::string& status : status_texts_) out << status << '\n';
  out << "== progress ==\n" << progress_position_ << " of " << progress_low_ << ".." << progress_high_ << '\n';
  if (!objects.empty()) out << "== objects tree ==\n" << objects;
  if (!sharepoint.empty()) out << "== sharepoint tree ==\n" << sharepoint;
  if (!columns_.empty() || !rows_.empty()) {
    out << "== records ==\n";
    for (std::size_t i = 0; i < columns_.size(); ++i) out << (i ? "\t" : "") << columns_[i].title;
    if (!columns_.empty()) out << '\n';
    for (const Row& row : rows_) {
      for (std::size_t i = 0; i < row.texts.size(); ++i) out << (i ? "\t" : "") << row.texts[i];
      out << '\n';
    }
  }
  if (!definition_.empty()) out << "== definition ==\n" << definition_ << '\n';
  if (!page_label_.empty()) out << "== page label ==\n" << page_label_ << '\n';
  if (!caption_.empty()) out << "== caption ==\n" << caption_ << '\n';
  bool any_control = false;
  for (const auto& [control, shown] : shown_) {
    if (!any_control) out << "== controls ==\n";
    any_control = true;
    out << control_name(control) << (shown ? " shown" : " hidden") << '\n';
  }
}

}  // namespace portalmend
