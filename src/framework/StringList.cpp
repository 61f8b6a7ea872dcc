#include "framework/StringList.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QString>
#include <algorithm>

#include "framework/SysUtils.h"

namespace {

const QCollator& collator(bool caseSensitive) {
    static const QCollator insensitive = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    static const QCollator sensitive = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return caseSensitive ? sensitive : insensitive;
}

int collate(const std::string& a, const std::string& b, bool caseSensitive) {
    int r = collator(caseSensitive).compare(QString::fromUtf8(a), QString::fromUtf8(b));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

}  // namespace

int AnsiCompareText(const std::string& a, const std::string& b) {
    return collate(a, b, false);
}
int AnsiCompareStr(const std::string& a, const std::string& b) {
    return collate(a, b, true);
}

TStringList::TStringList(std::initializer_list<std::string> items) {
    for (const auto& s : items) items_.push_back(s);
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const {
    return collate(a, b, caseSensitive_);
}

void TStringList::Changed() {
    if (OnChange) OnChange(this);
}

void TStringList::SetStrings(int i, const std::string& s) {
    items_.at(static_cast<size_t>(i)) = s;
    if (sorted_) Sort();
    Changed();
}

int TStringList::Add(const std::string& s) {
    if (!sorted_) {
        items_.push_back(s);
        Changed();
        return Count() - 1;
    }
    int index = 0;
    if (Find(s, index)) {
        if (duplicates_ == TDuplicates::dupIgnore) return -1;
        if (duplicates_ == TDuplicates::dupError)
            throw EInvalidOperation("String list does not allow duplicates");
    }
    items_.insert(items_.begin() + index, s);
    Changed();
    return index;
}

void TStringList::AddStrings(const std::vector<std::string>& strings) {
    if (strings.empty()) return;
    if (!sorted_) {
        items_.insert(items_.end(), strings.begin(), strings.end());
        Changed();
        return;
    }
    // Items already held come first, so that among equal strings they are the ones kept.
    struct Keyed {
        QCollatorSortKey key;
        const std::string* text;
    };
    std::vector<std::string> old = std::move(items_);
    std::vector<Keyed> all;
    all.reserve(old.size() + strings.size());
    const QCollator& c = collator(caseSensitive_);
    for (const std::vector<std::string>* list :
         std::initializer_list<const std::vector<std::string>*>{&old, &strings})
        for (const std::string& s : *list) {
            // Keys do not follow the collator's case setting everywhere: fold case first.
            QString text = QString::fromUtf8(s);
            all.push_back({c.sortKey(caseSensitive_ ? text : text.toCaseFolded()), &s});
        }
    std::stable_sort(all.begin(), all.end(),
                     [](const Keyed& a, const Keyed& b) { return a.key.compare(b.key) < 0; });
    std::vector<std::string> merged;
    merged.reserve(all.size());
    const Keyed* previous = nullptr;
    for (const Keyed& k : all) {
        bool duplicate = previous && previous->key.compare(k.key) == 0;
        if (duplicate && duplicates_ == TDuplicates::dupError) {
            items_ = std::move(old);
            throw EInvalidOperation("String list does not allow duplicates");
        }
        if (!duplicate || duplicates_ == TDuplicates::dupAccept) merged.push_back(*k.text);
        previous = &k;
    }
    items_ = std::move(merged);
    Changed();
}

void TStringList::Insert(int index, const std::string& s) {
    if (sorted_) throw EInvalidOperation("Operation not allowed on sorted list");
    if (index < 0 || index > Count())
        throw EInvalidOperation(Format("List index out of bounds (%d)", index));
    items_.insert(items_.begin() + index, s);
    Changed();
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count())
        throw EInvalidOperation(Format("List index out of bounds (%d)", index));
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

bool TStringList::Find(const std::string& s, int& index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(items_[static_cast<size_t>(mid)], s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != TDuplicates::dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TStringList::IndexOf(const std::string& s) const {
    if (sorted_) {
        int index = 0;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(items_[static_cast<size_t>(i)], s) == 0) return i;
    return -1;
}

void TStringList::Assign(const TStringList& other) {
    if (&other == this) return;
    items_.clear();
    if (sorted_) {
        auto saved = OnChange;
        OnChange = nullptr;
        for (const auto& s : other.items_) Add(s);
        OnChange = saved;
    } else {
        items_ = other.items_;
    }
    Changed();
}

std::string TStringList::Text() const {
    std::string out;
    for (const auto& s : items_) out += s + "\r\n";
    return out;
}

void TStringList::SetText(const std::string& text) {
    auto saved = OnChange;
    OnChange = nullptr;
    items_.clear();
    size_t i = 0, start = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            Add(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size()) Add(text.substr(start));
    OnChange = saved;
    Changed();
}

void TStringList::Sort() {
    std::stable_sort(
        items_.begin(), items_.end(),
        [this](const std::string& a, const std::string& b) { return CompareStrings(a, b) < 0; });
}

void TStringList::SetSorted(bool sorted) {
    if (sorted == sorted_) return;
    sorted_ = sorted;
    if (sorted_) {
        Sort();
        Changed();
    }
}

void TStringList::SetCaseSensitive(bool cs) {
    if (cs == caseSensitive_) return;
    caseSensitive_ = cs;
    if (sorted_) Sort();
}
