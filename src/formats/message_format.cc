#include "formats/message_format.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <charconv>
#include <cstring>

namespace libdevavu::formats {

namespace {

// Collects output up to a fixed capacity; everything past it is dropped.
class Sink {
 public:
  Sink(char* out, size_t capacity) : out_(out), capacity_(capacity) {}

  void Put(char c) {
    if (length_ < capacity_) {
      out_[length_++] = c;
    } else {
      truncated_ = true;
    }
  }
  // Whole runs at once: message texts are mostly literal text.
  void Put(std::string_view s) {
    const size_t n = std::min(s.size(), room());
    if (n != 0) std::memcpy(out_ + length_, s.data(), n);
    length_ += n;
    if (n < s.size()) truncated_ = true;
  }
  void Pad(char c, size_t count) {
    const size_t n = std::min(count, room());
    if (n != 0) std::memset(out_ + length_, c, n);
    length_ += n;
    if (n < count) truncated_ = true;
  }
  size_t room() const { return capacity_ - length_; }
  size_t length() const { return length_; }
  bool truncated() const { return truncated_; }

 private:
  char* out_;
  size_t capacity_;
  size_t length_ = 0;
  bool truncated_ = false;
};

enum class Width : uint8_t { kNormal, kShort, kChar };

struct Form {
  bool left = false, plus = false, space = false, alternate = false, zero = false;
  bool has_width = false, has_precision = false;
  size_t width = 0;
  size_t precision = 0;
  Width size = Width::kNormal;
  char conversion = 's';
  bool supported = true;
};

// Widths above what can be shown change nothing but the time spent padding.
constexpr size_t kMaxField = 0xFFFF;

size_t ReadNumber(std::string_view spec, size_t& at) {
  size_t value = 0;
  while (at < spec.size() && spec[at] >= '0' && spec[at] <= '9') {
    value = value * 10 + static_cast<size_t>(spec[at] - '0');
    if (value > kMaxField) value = kMaxField;
    ++at;
  }
  return value;
}

// The inserts by number, 1 to 99, and the highest number read so far in the
// text: a * reads the insert its form is at, and whatever the form reads
// after it comes from the insert after the highest read so far.
class Inserts {
 public:
  Inserts(const uintptr_t* values, size_t count) : values_(values), count_(count) {}
  bool Has(size_t number) const { return values_ != nullptr && number - 1 < count_; }
  uintptr_t Read(size_t number) const { return values_[number - 1]; }
  void Note(size_t number) {
    last_ = std::max(last_, number);
    if (number < noted_.size()) noted_.set(number);
  }
  size_t AfterLast() const { return last_ + 1; }
  // The numbers read since the last call, for a walk that reads no value.
  std::bitset<100> TakeNoted() {
    const std::bitset<100> noted = noted_;
    noted_.reset();
    return noted;
  }

 private:
  const uintptr_t* values_;
  size_t count_;
  size_t last_ = 0;
  std::bitset<100> noted_;
};

// A * takes the insert at number and moves number on past the highest
// read so far. A negative width means left-justified; a negative precision
// or a missing insert means none.
void TakeStar(Inserts& inserts, size_t& number, bool for_width, Form& form) {
  inserts.Note(number);
  const bool given = inserts.Has(number);
  const int32_t value = given ? static_cast<int32_t>(inserts.Read(number)) : 0;
  number = inserts.AfterLast();
  if (!given) return;
  if (for_width) {
    form.has_width = true;
    if (value < 0) form.left = true;
    const uint64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
    form.width = magnitude > kMaxField ? kMaxField : static_cast<size_t>(magnitude);
  } else if (value >= 0) {
    form.has_precision = true;
    form.precision = static_cast<size_t>(value) > kMaxField ? kMaxField : value;
  }
}

// Parses the text between the two ! of %n!...!; number is the form's own
// insert number and comes out as the number of the insert it formats.
Form ParseForm(std::string_view spec, Inserts& inserts, size_t& number) {
  Form form;
  size_t at = 0;
  for (; at < spec.size(); ++at) {
    const char c = spec[at];
    if (c == '-') form.left = true;
    else if (c == '+') form.plus = true;
    else if (c == ' ') form.space = true;
    else if (c == '#') form.alternate = true;
    else if (c == '0') form.zero = true;
    else break;
  }
  if (at < spec.size() && spec[at] == '*') {
    ++at;
    TakeStar(inserts, number, true, form);
  } else if (at < spec.size() && spec[at] >= '1' && spec[at] <= '9') {
    form.has_width = true;
    form.width = ReadNumber(spec, at);
  }
  if (at < spec.size() && spec[at] == '.') {
    ++at;
    if (at < spec.size() && spec[at] == '*') {
      ++at;
      TakeStar(inserts, number, false, form);
    } else {
      form.has_precision = true;
      form.precision = ReadNumber(spec, at);
    }
  }
  if (spec.substr(at, 2) == "hh") {
    form.size = Width::kChar;
    at += 2;
  } else if (spec.substr(at, 3) == "I32") {
    at += 3;
  } else if (at < spec.size() && spec[at] == 'h') {
    form.size = Width::kShort;
    ++at;
  } else if (at < spec.size() && spec[at] == 'l' && spec.substr(at, 2) != "ll" &&
             spec.substr(at, 2) != "ls" && spec.substr(at, 2) != "lc") {
    ++at;  // a long is 32 bits in the product's texts
  }
  if (at + 1 != spec.size() || spec[at] == '\0' ||
      std::strchr("diuoxXcsp", spec[at]) == nullptr) {
    form.supported = false;
    return form;
  }
  form.conversion = spec[at];
  return form;
}

// Reads an insert reference from its first digit on, with a second digit
// and a !form! where there are; number comes out as the insert it formats.
Form ReadReference(std::string_view text, size_t& at, char first, Inserts& inserts,
                   size_t& number) {
  number = static_cast<size_t>(first - '0');
  if (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    number = number * 10 + static_cast<size_t>(text[at++] - '0');
  }
  Form form;
  if (at < text.size() && text[at] == '!') {
    const size_t close = text.find('!', at + 1);
    if (close != std::string_view::npos) {
      form = ParseForm(text.substr(at + 1, close - at - 1), inserts, number);
      at = close + 1;
    }
  }
  return form;
}

// Where the literal text from `from` on ends: at the next % or, in a text
// that has one, CR, which need a look of their own; or at the end.
size_t LiteralEnd(std::string_view text, size_t from, bool has_cr) {
  const size_t percent = std::min(text.find('%', from), text.size());
  return has_cr ? std::min(text.substr(0, percent).find('\r', from), percent) : percent;
}

void PutField(Sink& sink, const Form& form, std::string_view prefix, size_t zeros,
              std::string_view body) {
  const size_t used = prefix.size() + zeros + body.size();
  const size_t pad = form.has_width && form.width > used ? form.width - used : 0;
  if (!form.left) sink.Pad(' ', pad);
  sink.Put(prefix);
  sink.Pad('0', zeros);
  sink.Put(body);
  if (form.left) sink.Pad(' ', pad);
}

void PutNumber(Sink& sink, Form form, uintptr_t insert) {
  const char conv = form.conversion;
  const bool is_signed = conv == 'd' || conv == 'i';
  uint64_t magnitude;
  bool negative = false;
  if (conv == 'p') {
    magnitude = insert;
  } else if (is_signed) {
    int64_t value = static_cast<int32_t>(insert);
    if (form.size == Width::kShort) value = static_cast<int16_t>(insert);
    if (form.size == Width::kChar) value = static_cast<int8_t>(insert);
    negative = value < 0;
    magnitude = negative ? -static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  } else {
    magnitude = static_cast<uint32_t>(insert);
    if (form.size == Width::kShort) magnitude = static_cast<uint16_t>(insert);
    if (form.size == Width::kChar) magnitude = static_cast<uint8_t>(insert);
  }

  const unsigned base = conv == 'o' ? 8 : (conv == 'x' || conv == 'X' || conv == 'p') ? 16 : 10;
  char digits[32];
  size_t count = 0;
  if (!(form.has_precision && form.precision == 0 && magnitude == 0)) {
    count = static_cast<size_t>(
        std::to_chars(digits, digits + sizeof digits, magnitude, static_cast<int>(base)).ptr -
        digits);
    if (conv != 'x') {
      for (size_t i = 0; i < count; ++i) {
        digits[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(digits[i])));
      }
    }
  }
  // Addresses print as at least eight upper-case digits, as the product's
  // texts always showed them.
  if (conv == 'p' && !form.has_precision) {
    form.has_precision = true;
    form.precision = 8;
  }

  std::string_view prefix;
  if (negative) prefix = "-";
  else if (is_signed && form.plus) prefix = "+";
  else if (is_signed && form.space) prefix = " ";
  else if (form.alternate && conv == 'x' && magnitude != 0) prefix = "0x";
  else if (form.alternate && conv == 'X' && magnitude != 0) prefix = "0X";

  size_t zeros = form.has_precision && form.precision > count ? form.precision - count : 0;
  if (form.alternate && conv == 'o' && zeros == 0 && (count == 0 || digits[0] != '0')) zeros = 1;
  if (form.zero && !form.left && !form.has_precision && form.has_width) {
    const size_t used = prefix.size() + count;
    if (form.width > used) zeros = form.width - used;
  }
  PutField(sink, form, prefix, zeros, std::string_view(digits, count));
}

void PutString(Sink& sink, const Form& form, const char* text) {
  if (text == nullptr) text = "(null)";
  // Never read further than the precision allows or the output can show.
  size_t limit = sink.room() + 1;
  if (form.has_width && form.width + 1 > limit) limit = form.width + 1;
  if (form.has_precision && form.precision < limit) limit = form.precision;
  PutField(sink, form, {}, 0, std::string_view(text, strnlen(text, limit)));
}

void PutInsert(Sink& sink, const Form& form, Inserts& inserts, size_t number) {
  inserts.Note(number);
  if (!form.supported || !inserts.Has(number)) return;
  const uintptr_t insert = inserts.Read(number);
  switch (form.conversion) {
    case 's':
      PutString(sink, form, reinterpret_cast<const char*>(insert));
      break;
    case 'c': {
      const char c = static_cast<char>(insert);
      PutField(sink, form, {}, 0, std::string_view(&c, 1));
      break;
    }
    default:
      PutNumber(sink, form, insert);
  }
}

}  // namespace

FormatOutcome FormatMessageInserts(std::string_view text, const uintptr_t* inserts,
                                   size_t insert_count, char* out, size_t size) {
  if (size == 0) return {0, !text.empty(), true};
  Sink sink(out, size - 1);
  Inserts given(inserts, insert_count);
  const bool has_cr = text.find('\r') != std::string_view::npos;
  bool valid = true;
  size_t at = 0;
  while (at < text.size() && !sink.truncated()) {
    const char c = text[at++];
    if (c == '\r') {
      // CR LF, a bare CR and a bare LF are all a line break, which is LF here.
      if (at < text.size() && text[at] == '\n') ++at;
      sink.Put('\n');
      continue;
    }
    if (c != '%') {
      const size_t end = LiteralEnd(text, at, has_cr);
      sink.Put(text.substr(at - 1, end - at + 1));
      at = end;
      continue;
    }
    if (at == text.size()) {
      // A lone % at the end names nothing: the whole call fails, as on
      // Windows, and the caller's text stays empty.
      out[0] = '\0';
      return {0, false, false};
    }
    const char what = text[at++];
    if (what == '0') break;
    if (what >= '1' && what <= '9') {
      size_t number = 0;
      const Form form = ReadReference(text, at, what, given, number);
      if (!form.supported) valid = false;
      PutInsert(sink, form, given, number);
      continue;
    }
    switch (what) {
      case 'n': sink.Put('\n'); break;
      case 'r': sink.Put('\r'); break;
      case 't': sink.Put('\t'); break;
      default: sink.Put(what);  // %% %. %! "% " and any other: the character
    }
  }
  out[sink.length()] = '\0';
  return {sink.length(), sink.truncated(), valid};
}

void FindInsertUses(std::string_view text, InsertUse* uses, size_t count) {
  std::fill(uses, uses + count, InsertUse::kUnused);
  const auto mark = [&](size_t number, InsertUse use) {
    if (number - 1 < count && uses[number - 1] != InsertUse::kString) uses[number - 1] = use;
  };
  Inserts walk(nullptr, 0);
  size_t at = 0;
  // The walk of FormatMessageInserts, reading no insert.
  while (at < text.size()) {
    if (text[at++] != '%' || at == text.size()) continue;
    const char what = text[at++];
    if (what == '0') return;
    if (what < '1' || what > '9') continue;
    size_t number = 0;
    const Form form = ReadReference(text, at, what, walk, number);
    const std::bitset<100> stars = walk.TakeNoted();
    for (size_t star = 1; star < stars.size(); ++star) {
      if (stars.test(star)) mark(star, InsertUse::kNumber);  // a * reads a number
    }
    walk.Note(number);
    walk.TakeNoted();
    if (form.supported) {
      mark(number, form.conversion == 's' ? InsertUse::kString : InsertUse::kNumber);
    }
  }
}

}  // namespace libdevavu::formats
