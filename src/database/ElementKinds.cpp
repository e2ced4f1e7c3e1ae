#include "database/ElementKinds.h"

#include "database/PathFromTheEnd.h"
#include "database/UniqueNames.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>
#include <vector>

namespace {
struct TooManyKinds : std::runtime_error {
    using std::runtime_error::runtime_error;
};
} // namespace

// The kinds of an element's children so far: mostly a few, even for an element of a million
// children, but as many as the children where their names all differ, which a search through
// them one by one would take the square of.
class ChildKinds {
public:
    // Adds a kind; false when it was there already.
    bool insert(ElementKinds::Kind kind) {
        if (!m_many.empty())
            return m_many.insert(kind).second;
        if (std::find(m_few.begin(), m_few.end(), kind) != m_few.end())
            return false;
        if (m_few.size() < kFew) {
            m_few.push_back(kind);
            return true;
        }
        m_many.insert(m_few.begin(), m_few.end());
        m_few.clear();
        return m_many.insert(kind).second;
    }

private:
    static constexpr size_t kFew = 16;
    std::vector<ElementKinds::Kind> m_few;
    std::unordered_set<ElementKinds::Kind> m_many;
};

// Counts one file's elements into the kinds, and takes them out again when the file fails.
class KindCounter final : public XmlEvents {
public:
    explicit KindCounter(ElementKinds& kinds)
        : m_kinds(kinds), m_firstNewKind(static_cast<ElementKinds::Kind>(kinds.m_kinds.size())),
          m_firstNewName(kinds.m_names.size()), m_firstNewSpelling(kinds.m_spellings.size()) {}

    void startElement(std::string_view name, const char* const* attributes) override {
        const ElementKinds::Kind parent = m_open.empty() ? ElementKinds::kNone : m_open.back().kind;
        const ElementKinds::Kind kind =
            m_kinds.kindOf(parent, m_kinds.nameNumber(localXmlName(name)));
        if (!m_open.empty()) {
            OpenElement& open = m_open.back();
            open.hasChildren = true;
            mark(parent, &ElementKinds::KindEntry::hasChildren);
            if (!open.childKinds.insert(kind))
                mark(kind, &ElementKinds::KindEntry::repeats);
        }
        for (const char* const* a = attributes; a && *a; a += 2)
            if (!isNamespaceDeclaration(a[0]))
                mark(kind, &ElementKinds::KindEntry::hasValue);
        m_open.push_back({kind, {}, false, false});
    }
    void endElement() override {
        const OpenElement& closing = m_open.back();
        // A childless element is a value, empty or not.
        if (!closing.hasChildren)
            mark(closing.kind, &ElementKinds::KindEntry::hasValue);
        else if (closing.hasText)
            mark(closing.kind, &ElementKinds::KindEntry::mixed);
        m_open.pop_back();
    }
    void text(std::string_view) override { ownText(); }
    void cdata(std::string_view value) override {
        if (!std::all_of(value.begin(), value.end(), isXmlWhitespace))
            ownText();
    }
    void comment(std::string_view) override {}
    void processingInstruction(std::string_view, std::string_view) override {}

    // Takes back every kind, name and mark of the file, and the memory they took.
    void undo() {
        for (const auto& [kind, flag] : m_marked) {
            m_kinds.m_kinds[kind].*flag = false;
            if (flag == &ElementKinds::KindEntry::mixed)
                --m_kinds.m_mixedKinds;
        }
        const bool added = m_kinds.m_kinds.size() > m_firstNewKind ||
                           m_kinds.m_spellings.size() > m_firstNewSpelling;
        while (m_kinds.m_kinds.size() > m_firstNewKind) {
            const ElementKinds::KindEntry& last = m_kinds.m_kinds.back();
            if (last.mixed)
                --m_kinds.m_mixedKinds;
            m_kinds.m_kindByStep.erase(ElementKinds::stepKey(last.parent, last.name));
            if (last.parent != ElementKinds::kNone)
                m_kinds.m_kinds[last.parent].children.pop_back();
            m_kinds.m_kinds.pop_back();
        }
        while (m_kinds.m_spellings.size() > m_firstNewSpelling) {
            m_kinds.m_nameByWritten.erase(m_kinds.m_spellings.back());
            m_kinds.m_spellings.pop_back();
        }
        while (m_kinds.m_names.size() > m_firstNewName) {
            m_kinds.m_nameByFolded.erase(m_kinds.m_names.back().folded);
            m_kinds.m_names.pop_back();
        }
        if (added) {
            m_kinds.m_kinds.shrink_to_fit();
            m_kinds.m_kindByStep.rehash(0);
            m_kinds.m_nameByWritten.rehash(0);
            m_kinds.m_nameByFolded.rehash(0);
        }
    }

private:
    struct OpenElement {
        ElementKinds::Kind kind;
        ChildKinds childKinds;
        bool hasChildren;
        bool hasText;
    };

    void ownText() {
        mark(m_open.back().kind, &ElementKinds::KindEntry::hasValue);
        m_open.back().hasText = true;
    }

    void mark(ElementKinds::Kind kind, bool ElementKinds::KindEntry::*flag) {
        bool& value = m_kinds.m_kinds[kind].*flag;
        if (value)
            return;
        // Noted before it is set, so that memory running out leaves no mark that undo misses.
        if (kind < m_firstNewKind)
            m_marked.emplace_back(kind, flag);
        value = true;
        if (flag == &ElementKinds::KindEntry::mixed)
            ++m_kinds.m_mixedKinds;
    }

    ElementKinds& m_kinds;
    const ElementKinds::Kind m_firstNewKind;
    const size_t m_firstNewName;
    const size_t m_firstNewSpelling;
    std::vector<OpenElement> m_open;
    std::vector<std::pair<ElementKinds::Kind, bool ElementKinds::KindEntry::*>> m_marked;
};

ElementKinds::ElementKinds() = default;
ElementKinds::~ElementKinds() = default;

std::optional<XmlError> ElementKinds::survey(const QString& path) {
    KindCounter counter(*this);
    std::optional<XmlError> error;
    try {
        error = readXmlFile(path, counter);
    } catch (const TooManyKinds& tooMany) {
        error = XmlError{QString::fromUtf8(tooMany.what()), 0, 0, FileProblem::TooWide};
    } catch (...) {
        // Memory that ran out half-way leaves no half of the file counted.
        counter.undo();
        throw;
    }
    if (error)
        counter.undo();
    return error;
}

std::uint32_t ElementKinds::nameNumber(std::string_view written) {
    const auto known = m_nameByWritten.find(written);
    if (known != m_nameByWritten.end())
        return known->second;
    const std::string& spelling = m_spellings.emplace_back(written);
    std::string folded = foldedName(spelling);
    auto same = m_nameByFolded.find(folded);
    if (same == m_nameByFolded.end()) {
        const Name& added = m_names.emplace_back(Name{spelling, std::move(folded)});
        same = m_nameByFolded.emplace(added.folded, std::uint32_t(m_names.size() - 1)).first;
    }
    m_nameByWritten.emplace(spelling, same->second);
    return same->second;
}

ElementKinds::Kind ElementKinds::kindOf(Kind parent, std::uint32_t name) {
    // Every document element is the first kind, whatever its name, and no step leads to it.
    if (parent == kNone && !m_kinds.empty())
        return 0;
    const std::uint64_t key = ElementKinds::stepKey(parent, name);
    const auto found = m_kindByStep.find(key);
    if (found != m_kindByStep.end())
        return found->second;
    if (m_kinds.size() >= kMaxKinds)
        throw TooManyKinds("it holds more paths of elements than can be imported (1,073,741,824)");
    const auto kind = static_cast<Kind>(m_kinds.size());
    m_kinds.push_back({parent, name, {}});
    if (parent == kNone)
        return kind;
    // A kind is added whole or not at all, so that a survey that fails can be taken back.
    try {
        if (parent != kNone)
            m_kinds[parent].children.push_back(kind);
        try {
            m_kindByStep.emplace(key, kind);
        } catch (...) {
            if (parent != kNone)
                m_kinds[parent].children.pop_back();
            throw;
        }
    } catch (...) {
        m_kinds.pop_back();
        throw;
    }
    return kind;
}

ElementKinds::Kind ElementKinds::find(Kind parent, std::string_view name) const {
    if (parent == kNone)
        return m_kinds.empty() ? kNone : 0;
    std::uint32_t number = 0;
    if (const auto written = m_nameByWritten.find(name); written != m_nameByWritten.end()) {
        number = written->second;
    } else {
        const auto folded = m_nameByFolded.find(foldedName(std::string(name)));
        if (folded == m_nameByFolded.end())
            return kNone;
        number = folded->second;
    }
    const auto found = m_kindByStep.find(ElementKinds::stepKey(parent, number));
    return found == m_kindByStep.end() ? kNone : found->second;
}

bool ElementKinds::holdsValues(Kind kind) const {
    std::vector<Kind> pending{kind};
    while (!pending.empty()) {
        const KindEntry& entry = m_kinds[pending.back()];
        pending.pop_back();
        if (entry.hasValue)
            return true;
        for (const Kind child : entry.children)
            if (!m_kinds[child].repeats)
                pending.push_back(child);
    }
    return false;
}

std::string ElementKinds::pathBetween(Kind ancestor, Kind kind, bool folded, size_t maxBytes,
                                      bool* cut) const {
    PathFromTheEnd path(maxBytes);
    for (Kind at = kind; at != ancestor && at != kNone; at = m_kinds[at].parent) {
        const Name& name = m_names[m_kinds[at].name];
        if (!path.takeAbove(folded ? name.folded : name.written))
            break;
    }
    if (cut)
        *cut = path.shortened();
    return path.text();
}
