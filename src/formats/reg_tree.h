// The keys and values of a registry read from a file, as the registry
// operations walk them. Names (UTF-8) compare without regard to case, as the
// Windows registry's do, for the letters that UpperCaseOf maps; keys and
// values keep the order they were made in, which is the order enumeration
// gives.
#ifndef DEVAVU_FORMATS_REG_TREE_H_
#define DEVAVU_FORMATS_REG_TREE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace libdevavu::formats {

bool SameRegName(std::string_view a, std::string_view b);

struct RegValue {
  std::string name;  // "" for the default value
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

class RegNode {
 public:
  explicit RegNode(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  const std::vector<RegValue>& values() const { return values_; }

  const RegNode* FindChild(std::string_view name) const;
  RegNode* FindChild(std::string_view name);
  const RegValue* FindValue(std::string_view name) const;

  // The child of that name, made at the end when there is none.
  RegNode& Child(std::string_view name);
  void RemoveChild(std::string_view name);
  // A value of the same name keeps its place and takes the new data.
  void SetValue(RegValue value);
  void RemoveValue(std::string_view name);

 private:
  // The position of the child or value of that name, or the count when none.
  size_t ChildIndex(std::string_view name) const;
  size_t ValueIndex(std::string_view name) const;

  std::string name_;
  std::vector<RegValue> values_;
  std::vector<std::unique_ptr<RegNode>> children_;
};

}  // namespace libdevavu::formats

#endif  // DEVAVU_FORMATS_REG_TREE_H_
