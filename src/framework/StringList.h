// A list of strings that can keep itself sorted, the way the components keep their file
// selections and the windows their lines of text.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList {
  public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> items);

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
    const std::string& Strings(int i) const { return (*this)[i]; }
    void SetStrings(int i, const std::string& s);
    const std::vector<std::string>& Items() const { return items_; }

    // Adds in order, or at the sorted place; returns the index (-1 for an ignored duplicate).
    int Add(const std::string& s);
    // Adds many at once: the same result as adding them one by one, but a sorted list is
    // sorted once (its comparison keys computed once per string).
    void AddStrings(const std::vector<std::string>& strings);
    void Insert(int index, const std::string& s);
    void Delete(int index);
    void Clear();
    // Index of s by the list's comparison; -1 when absent (binary search when sorted).
    int IndexOf(const std::string& s) const;
    // Binary search on a sorted list: true when found; index is the place either way.
    bool Find(const std::string& s, int& index) const;
    // Replaces the content with that of another list (keeps this list's own settings).
    void Assign(const TStringList& other);
    bool Equals(const TStringList& other) const { return items_ == other.items_; }

    // Text with CR LF after each line; setting it splits at CR LF, lone CR and lone LF.
    std::string Text() const;
    void SetText(const std::string& text);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates d) { duplicates_ = d; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool cs);

    // Raised after every change of the content.
    std::function<void(TStringList*)> OnChange;

    // The list's comparison: locale collation, ignoring case unless CaseSensitive.
    int CompareStrings(const std::string& a, const std::string& b) const;

  private:
    void Changed();
    void Sort();

    std::vector<std::string> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = TDuplicates::dupIgnore;
    int updating_ = 0;
};

// Locale-aware comparisons of the platform (CompareString semantics).
int AnsiCompareText(const std::string& a, const std::string& b);  // ignoring case
int AnsiCompareStr(const std::string& a, const std::string& b);   // case-sensitive
