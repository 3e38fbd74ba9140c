#include "desktop/channel_zapper.h"

#include <utility>

namespace vantrel {

void CChannelZapper::Choose(std::vector<CChannel> list, std::size_t index) {
  if (index >= list.size()) return;
  MoveTo({std::make_shared<const std::vector<CChannel>>(std::move(list)), index});
}

void CChannelZapper::Clear() {
  m_current = {};
  m_before = {};
}

const CChannel* CChannelZapper::Current() const { return m_current.Channel(); }

bool CChannelZapper::CanStep() const { return m_current.list && m_current.list->size() > 1; }

std::optional<CChannel> CChannelZapper::Step(int step) {
  if (!CanStep()) return std::nullopt;
  const auto size = static_cast<long long>(m_current.list->size());
  const long long index = ((static_cast<long long>(m_current.index) + step) % size + size) % size;
  MoveTo({m_current.list, static_cast<std::size_t>(index)});
  return *Current();
}

std::optional<CChannel> CChannelZapper::Back() {
  if (!m_before.list) return std::nullopt;
  MoveTo(m_before);
  return *Current();
}

void CChannelZapper::MoveTo(Position next) {
  m_before = std::exchange(m_current, std::move(next));
}

}  // namespace vantrel
