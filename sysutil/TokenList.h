// The program's one list-of-strings type: ordered, indexed from 0, owning
// copies of its elements.
#pragma once
#include <string>
#include <vector>

class TokenList {
public:
    void clear() { items.clear(); }
    void add(const std::string& text) { items.push_back(text); }
    // Inserts before index; an index equal to count() appends.
    void insertAt(size_t index, const std::string& text) {
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), text);
    }
    size_t count() const { return items.size(); }
    bool empty() const { return items.empty(); }
    const std::string& operator[](size_t index) const { return items[index]; }
    std::string& operator[](size_t index) { return items[index]; }

private:
    std::vector<std::string> items;
};
