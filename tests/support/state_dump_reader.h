// Reading a state dump (docs/state-dump.md) in tests: sections of "KEY VALUE" lines.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

class StateDumpReader {
 public:
  explicit StateDumpReader(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    header_ = line;
    std::string section;
    while (std::getline(in, line)) {
      if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
        section = line.substr(1, line.size() - 2);
        order_.push_back(section);
        continue;
      }
      size_t blank = line.find(' ');
      if (blank == std::string::npos) {
        ADD_FAILURE() << "not a KEY VALUE line: " << line;
        continue;
      }
      values_[section][line.substr(0, blank)] = line.substr(blank + 1);
    }
  }
  const std::string& Header() const { return header_; }
  const std::vector<std::string>& Sections() const { return order_; }
  bool Has(const std::string& section, const std::string& key) const {
    auto s = values_.find(section);
    return s != values_.end() && s->second.count(key) != 0;
  }
  // The value text; a failure and "" when the key is missing.
  std::string Get(const std::string& section, const std::string& key) const {
    if (!Has(section, key)) {
      ADD_FAILURE() << "no " << key << " in [" << section << "]";
      return "";
    }
    return values_.at(section).at(key);
  }
  long long Int(const std::string& section, const std::string& key) const {
    return std::strtoll(Get(section, key).c_str(), nullptr, 10);
  }
  float Float(const std::string& section, const std::string& key) const {
    return std::strtof(Get(section, key).c_str(), nullptr);
  }
  // A creature's field: Int("creatures", "creature.N.FIELD").
  long long Creature(int index, const std::string& field) const {
    return Int("creatures", "creature." + std::to_string(index) + "." + field);
  }
  // The values of "event.N" of [gui], in order.
  std::vector<std::string> Events() const {
    std::vector<std::string> events;
    for (long long i = 0; i < Int("gui", "events"); ++i) events.push_back(Get("gui", "event." + std::to_string(i)));
    return events;
  }

 private:
  std::string header_;
  std::vector<std::string> order_;
  std::map<std::string, std::map<std::string, std::string>> values_;
};

}  // namespace testsupport
