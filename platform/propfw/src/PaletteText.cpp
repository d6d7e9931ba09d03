// Plain-text rendering of a palette: sources, categories by weight, values, children.
#include "oa/PaletteText.h"

#include "ut/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <vector>

namespace oa {

namespace {

const wchar_t* const kGeneral = L"General";

// One top-level definition and the lines of its subtree.
struct Entry {
  std::vector<PropertyInfo> subtree;
  unsigned int weight = CategoryAttribute::s_cDefaultPropertyWeight;
};

struct Group {
  const PropertyCategory* category = nullptr;  // null: "General"
  KcSmartPtr<const Attribute> keep;            // keeps the category alive while rendering
  std::vector<Entry> entries;
};

void renderLine(OdString& out, const PropertyInfo& info, const OdRxObject* object,
                const OdRxObject* context, const PaletteTextStyle& style) {
  const PropertyDefinition& definition = *info.definition;
  OdString line(L' ', static_cast<int>(4 + 2 * info.level));
  line += definition.label();
  line += L": ";
  tdx::PropertyValue value;
  if (definition.getValue(value, object, context)) {
    line += formatPaletteValue(definition, value, object, context, style);
    if (value.hasValue() && !value.varies() && style.suffix) line += style.suffix(definition);
  } else {
    line += style.noValue;
  }
  if (definition.isReadOnly(object, context)) line += L" " + style.readOnly;
  out += line;
  out += L"\n";
}

}  // namespace

OdString formatPaletteValue(const PropertyDefinition& definition, const tdx::PropertyValue& value,
                            const OdRxObject* object, const OdRxObject* context,
                            const PaletteTextStyle& style) {
  if (value.varies()) return style.varies;
  if (!value.hasValue()) return style.noValue;
  auto enumeration = EnumerationAttribute::cast(
      definition.getAttribute(EnumerationAttribute::desc(), object, context).get());
  OdString label;
  if (enumeration && enumeration->labelOf(value, label)) return label;
  switch (value.kind()) {
    case tdx::PropertyValue::kBoolean: {
      bool truth = false;
      value.get(truth);
      auto labels = BooleanValueAttribute::cast(
          definition.getAttribute(BooleanValueAttribute::desc(), object, context).get());
      if (labels && labels.get() != BooleanValueAttribute::getYesNo()) return labels->label(truth);
      return truth ? style.yes : style.no;
    }
    case tdx::PropertyValue::kInteger:
      if (definition.type() == PropType::Unsigned::getType()) {
        return OdString::formatted(L"%llu", static_cast<unsigned long long>(value.payload()));
      }
      return OdString::formatted(L"%lld", static_cast<long long>(value.payload()));
    case tdx::PropertyValue::kReal: {
      double number = 0.0;
      value.get(number);
      return ut::realText(number);
    }
    case tdx::PropertyValue::kString: {
      OdString text;
      value.get(text);
      return text;
    }
    default:
      return style.noValue;
  }
}

OdString renderSourceText(const PropertySource& source, const OdRxObject* object,
                          const OdRxObject* context, const PaletteTextStyle& style) {
  OdString out = L"[" + source.name() + L"]\n";
  PropertyInfoArray infos;
  source.getAllPropertyDefinitions(infos, object);

  // Build entries in walk order, then file each under its category.
  std::vector<std::pair<Entry, KcSmartPtr<const Attribute>>> entries;
  for (const PropertyInfo& info : infos) {
    if (info.level == 0 || entries.empty()) {
      Entry entry;
      KcSmartPtr<const Attribute> attribute =
          info.definition->getAttribute(CategoryAttribute::desc(), object, context);
      auto category = CategoryAttribute::cast(attribute.get());
      if (category) entry.weight = category->weight();
      entry.subtree.push_back(info);
      entries.emplace_back(std::move(entry), attribute);
    } else {
      entries.back().first.subtree.push_back(info);
    }
  }
  std::vector<Group> byCategory;
  for (auto& pair : entries) {
    auto attribute = CategoryAttribute::cast(pair.second.get());
    const PropertyCategory* category = attribute ? attribute->category() : nullptr;
    auto it = std::find_if(byCategory.begin(), byCategory.end(), [&](const Group& g) {
      if (!g.category || !category) return g.category == category;
      return g.category == category || g.category->GUID() == category->GUID();
    });
    if (it == byCategory.end()) {
      byCategory.push_back(Group{category, pair.second, {}});
      it = byCategory.end() - 1;
    }
    it->entries.push_back(std::move(pair.first));
  }
  std::stable_sort(byCategory.begin(), byCategory.end(), [](const Group& a, const Group& b) {
    if (!a.category || !b.category) return a.category && !b.category;
    return a.category->weight() < b.category->weight();
  });
  for (Group& group : byCategory) {
    out += L"  ";
    OdString name = group.category ? group.category->localName() : OdString(kGeneral);
    if (name.isEmpty()) name = group.category->globalName();
    out += name;
    out += L"\n";
    std::stable_sort(group.entries.begin(), group.entries.end(),
                     [](const Entry& a, const Entry& b) { return a.weight < b.weight; });
    for (const Entry& entry : group.entries) {
      for (const PropertyInfo& info : entry.subtree)
        renderLine(out, info, object, context, style);
    }
  }
  return out;
}

OdString renderPaletteText(const PropertySourceManager& manager, const OdRxObject* object,
                           const OdRxObject* context, const PaletteTextStyle& style) {
  OdString out;
  for (const PropertySourcePtr& source : manager)
    out += renderSourceText(*source, object, context, style);
  return out;
}

}  // namespace oa
