#include "formats/reg_tree.h"

#include <cstddef>

#include "formats/case_fold.h"
#include "formats/utf8.h"

namespace libdevavu::formats {

bool SameRegName(std::string_view a, std::string_view b) {
  while (!a.empty() && !b.empty()) {
    if (UpperCaseOf(TakeCodePoint(a)) != UpperCaseOf(TakeCodePoint(b))) return false;
  }
  return a.empty() && b.empty();
}

size_t RegNode::ChildIndex(std::string_view name) const {
  size_t i = 0;
  while (i < children_.size() && !SameRegName(children_[i]->name(), name)) ++i;
  return i;
}

size_t RegNode::ValueIndex(std::string_view name) const {
  size_t i = 0;
  while (i < values_.size() && !SameRegName(values_[i].name, name)) ++i;
  return i;
}

const RegNode* RegNode::FindChild(std::string_view name) const {
  const size_t i = ChildIndex(name);
  return i < children_.size() ? children_[i].get() : nullptr;
}

RegNode* RegNode::FindChild(std::string_view name) {
  const size_t i = ChildIndex(name);
  return i < children_.size() ? children_[i].get() : nullptr;
}

const RegValue* RegNode::FindValue(std::string_view name) const {
  const size_t i = ValueIndex(name);
  return i < values_.size() ? &values_[i] : nullptr;
}

RegNode& RegNode::Child(std::string_view name) {
  const size_t i = ChildIndex(name);
  if (i < children_.size()) return *children_[i];
  children_.push_back(std::make_unique<RegNode>(std::string(name)));
  return *children_.back();
}

void RegNode::RemoveChild(std::string_view name) {
  const size_t i = ChildIndex(name);
  if (i < children_.size()) children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(i));
}

void RegNode::SetValue(RegValue value) {
  const size_t i = ValueIndex(value.name);
  if (i < values_.size()) {
    values_[i].type = value.type;
    values_[i].data = std::move(value.data);
  } else {
    values_.push_back(std::move(value));
  }
}

void RegNode::RemoveValue(std::string_view name) {
  const size_t i = ValueIndex(name);
  if (i < values_.size()) values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(i));
}

}  // namespace libdevavu::formats
