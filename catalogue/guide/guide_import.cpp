// The import of one guide source: read, write, fix the timeline and prune in one transaction.
#include <algorithm>
#include <map>
#include <unordered_map>

#include "catalogue/guide/guide_names.h"
#include "catalogue/guide/guide_store.h"

namespace vantrel {
namespace {

constexpr const char* kOverlapWhy = "overlaps an earlier programme of its channel";
constexpr const char* kNoStopWhy = "no stop time and no programme after it";

// Writes what the reader hands on into the open transaction.
class CGuideWriter {
 public:
  CGuideWriter(CSqliteDb& db, std::int64_t source, const GuideImportOptions& options, GuideImportReport& report)
      : m_source(source), m_options(options), m_report(report),
        m_insertChannel(db.Prepare("INSERT INTO channels(source, xmltv_id, names) VALUES(?1, ?2, ?3)")),
        m_updateNames(db.Prepare("UPDATE channels SET names = ?2 WHERE id = ?1")),
        m_insertName(db.Prepare("INSERT INTO channel_names(channel, key) VALUES(?1, ?2)")),
        m_insertProgramme(db.Prepare(
            "INSERT INTO programmes(channel, start, stop, title, sub_title, description, category) "
            "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)")),
        m_db(db.Handle()) {
    m_failed = !m_insertChannel.Valid() || !m_updateNames.Valid() || !m_insertName.Valid() ||
               !m_insertProgramme.Valid();
  }

  bool Failed() const { return m_failed; }
  std::vector<ProgrammeSlot>& Slots() { return m_slots; }
  const std::vector<std::string>& ChannelIds() const { return m_ids; }

  XmltvSink Sink() {
    return {
        [this](XmltvChannel&& channel) { return AddChannel(std::move(channel)); },
        [this](XmltvProgramme&& programme) { return AddProgramme(programme); },
        [this](XmltvDrop why, const XmltvProgramme& programme, std::uint64_t line) {
          m_report.Drop({programme.channel, programme.start, programme.title, Describe(why), line});
        },
    };
  }

 private:
  struct Known {
    std::int64_t row = 0;
    std::size_t index = 0;  // into m_ids
    std::vector<std::string> names;
  };

  bool Going() {
    if (m_failed) return false;
    return ++m_items % 1024 != 0 || !m_options.cancelled || !m_options.cancelled();
  }

  Known* Channel(const std::string& id) {
    const auto found = m_known.find(id);
    if (found != m_known.end()) return &found->second;
    m_insertChannel.Bind(1, m_source).Bind(2, id).Bind(3, std::string_view());
    if (!m_insertChannel.Run()) {
      m_failed = true;
      return nullptr;
    }
    m_ids.push_back(id);
    return &(m_known[id] = Known{sqlite3_last_insert_rowid(m_db), m_ids.size() - 1, {}});
  }

  bool AddChannel(XmltvChannel&& channel) {
    Known* known = Channel(channel.id);
    if (!known) return false;
    bool changed = false;
    for (std::string& name : channel.displayNames) {
      if (std::find(known->names.begin(), known->names.end(), name) != known->names.end()) continue;
      const std::string key = GuideNameKey(name);
      if (!key.empty()) m_failed |= !m_insertName.Bind(1, known->row).Bind(2, key).Run();
      known->names.push_back(std::move(name));
      changed = true;
    }
    if (changed) {
      std::string joined;
      for (const std::string& name : known->names) joined += (joined.empty() ? "" : "\n") + name;
      m_failed |= !m_updateNames.Bind(1, known->row).Bind(2, joined).Run();
    }
    return Going();
  }

  bool AddProgramme(const XmltvProgramme& p) {
    Known* known = Channel(p.channel);
    if (!known) return false;
    if (p.stop != kNoStop && p.stop < m_options.now - CGuideStore::kKeepPastSeconds) {
      ++m_report.past;
      return Going();
    }
    m_insertProgramme.Bind(1, known->row).Bind(2, p.start).Bind(3, p.stop == kNoStop ? p.start : p.stop);
    m_insertProgramme.Bind(4, p.title).Bind(5, p.subTitle).Bind(6, p.description).Bind(7, p.category);
    if (!m_insertProgramme.Run()) {
      m_failed = true;
      return false;
    }
    m_slots.push_back({sqlite3_last_insert_rowid(m_db), static_cast<std::int64_t>(known->index), p.start, p.stop,
                       static_cast<std::int64_t>(m_slots.size())});
    return Going();
  }

  std::int64_t m_source;
  const GuideImportOptions& m_options;
  GuideImportReport& m_report;
  CSqliteStatement m_insertChannel, m_updateNames, m_insertName, m_insertProgramme;
  sqlite3* m_db;
  bool m_failed = false;
  std::uint64_t m_items = 0;
  std::unordered_map<std::string, Known> m_known;
  std::vector<std::string> m_ids;
  std::vector<ProgrammeSlot> m_slots;
};

// Refusals: the source's previous guide stays.
const char* Refusal(const XmltvResult& read) {
  switch (read.status) {
    case XmltvStatus::kCannotOpen:
    case XmltvStatus::kNotXmltv:
      return Describe(read.status);
    case XmltvStatus::kStopped: return "cancelled";
    case XmltvStatus::kBroken:
    case XmltvStatus::kTooLarge:
      // A document broken before anything was read is no guide at all.
      return read.channels == 0 && read.programmes == 0 ? Describe(read.status) : nullptr;
    case XmltvStatus::kOk: return nullptr;
  }
  return nullptr;
}

std::string BrokenNote(const XmltvResult& read) {
  std::string note = Describe(read.status);
  if (!read.error.empty()) note += ": " + read.error;
  if (read.line) note += " (line " + std::to_string(read.line) + ")";
  return note;
}

}  // namespace

void GuideImportReport::Drop(GuideDroppedProgramme drop) {
  ++dropsByReason[drop.why];
  if (drops.size() < kMaxReportedDrops) drops.push_back(std::move(drop));
}

GuideImportReport CGuideStore::Import(std::string_view source, const std::filesystem::path& file,
                                      const GuideImportOptions& options) {
  GuideImportReport report;
  CSqliteTransaction transaction(m_db);
  CSqliteStatement addSource = m_db.Prepare("INSERT INTO sources(address) VALUES(?1) ON CONFLICT(address) DO NOTHING");
  CSqliteStatement findSource = m_db.Prepare("SELECT id FROM sources WHERE address = ?1");
  if (!transaction.Began() || !addSource.Bind(1, source).Run() || !findSource.Bind(1, source).Step()) {
    report.error = "the guide database cannot be written: " + m_db.Error();
    return report;
  }
  const std::int64_t sourceId = findSource.Int(0);
  findSource.Reset();
  if (!ClearSource(sourceId)) {
    report.error = "the guide database cannot be written: " + m_db.Error();
    return report;
  }
  {
    CGuideWriter writer(m_db, sourceId, options, report);
    report.read = ReadXmltvFile(file, writer.Sink(), options.limits);
    if (writer.Failed()) {
      report.error = "the guide database cannot be written: " + m_db.Error();
      return report;
    }
    if (const char* refusal = Refusal(report.read)) {
      report.error = report.read.status == XmltvStatus::kBroken ? BrokenNote(report.read) : refusal;
      return report;
    }
    if (report.read.status != XmltvStatus::kOk) report.error = BrokenNote(report.read);
    if (!ApplyTimeline(writer.Slots(), writer.ChannelIds(), report)) {
      report.error = "the guide database cannot be written: " + m_db.Error();
      return report;
    }
  }
  CSqliteStatement prune = m_db.Prepare(
      "DELETE FROM programmes WHERE stop < ?2 AND channel IN (SELECT id FROM channels WHERE source = ?1)");
  CSqliteStatement count = m_db.Prepare(
      "UPDATE channels SET programmes = (SELECT count(*) FROM programmes p WHERE p.channel = channels.id) "
      "WHERE source = ?1");
  CSqliteStatement totals = m_db.Prepare("SELECT count(*), total(programmes) FROM channels WHERE source = ?1");
  CSqliteStatement stamp = m_db.Prepare(
      "UPDATE sources SET etag = ?2, last_modified = ?3, imported_at = ?4 WHERE id = ?1");
  // Programmes whose stop came from the next start may only now be known to be past.
  bool written = prune.Bind(1, sourceId).Bind(2, options.now - kKeepPastSeconds).Run();
  if (written) report.past += static_cast<std::uint64_t>(sqlite3_changes(m_db.Handle()));
  written = written && count.Bind(1, sourceId).Run() && totals.Bind(1, sourceId).Step() &&
            stamp.Bind(1, sourceId).Bind(2, options.validators.etag).Bind(3, options.validators.lastModified)
                .Bind(4, options.now).Run();
  if (written) {
    report.channels = static_cast<std::uint64_t>(totals.Int(0));
    report.programmes = static_cast<std::uint64_t>(totals.Int(1));
  }
  totals.Reset();
  if (!written || !transaction.Commit()) {
    report.error = "the guide database cannot be written: " + m_db.Error();
    report.channels = report.programmes = 0;
    return report;
  }
  report.imported = true;
  return report;
}

bool CGuideStore::ApplyTimeline(std::vector<ProgrammeSlot>& slots, const std::vector<std::string>& channelIds,
                                GuideImportReport& report) {
  const std::vector<SlotChange> changes = ResolveTimeline(slots);
  if (changes.empty()) return true;
  std::unordered_map<std::int64_t, const ProgrammeSlot*> byKey;
  for (const ProgrammeSlot& slot : slots) byKey[slot.key] = &slot;
  CSqliteStatement title = m_db.Prepare("SELECT title FROM programmes WHERE rowid = ?1");
  CSqliteStatement drop = m_db.Prepare("DELETE FROM programmes WHERE rowid = ?1");
  CSqliteStatement stop = m_db.Prepare("UPDATE programmes SET stop = ?2 WHERE rowid = ?1");
  for (const SlotChange& change : changes) {
    if (!change.dropped) {
      if (!stop.Bind(1, change.key).Bind(2, change.stop).Run()) return false;
      continue;
    }
    const ProgrammeSlot& slot = *byKey[change.key];
    std::string name;
    if (report.drops.size() < GuideImportReport::kMaxReportedDrops && title.Bind(1, change.key).Step())
      name = title.Text(0);
    title.Reset();
    report.Drop({channelIds[static_cast<std::size_t>(slot.channel)], slot.start, std::move(name),
                 change.why == SlotDrop::kOverlap ? kOverlapWhy : kNoStopWhy, 0});
    if (!drop.Bind(1, change.key).Run()) return false;
  }
  return true;
}

}  // namespace vantrel
