#include "net/EventJournal.h"

#include "logging/DurableFile.h"

std::vector<QsoEvent> EventJournal::load()
{
    std::vector<QsoEvent> events;
    skipped_ = 0;
    if (!fileExists(path_))
        return events;
    const std::string bytes = readWholeFile(path_);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        const QByteArray line = QByteArray::fromRawData(bytes.data() + start, static_cast<qsizetype>(end - start)).trimmed();
        if (!line.isEmpty()) {
            if (auto event = DecodeEvent(line))
                events.push_back(std::move(*event));
            else
                ++skipped_;
        }
        start = end + 1;
    }
    return events;
}

void EventJournal::append(const std::vector<QsoEvent> &events)
{
    if (events.empty())
        return;
    std::string bytes;
    for (const QsoEvent &event : events) {
        bytes += EncodeEvent(event).toStdString();
        bytes += '\n';
    }
    appendDurably(path_, bytes);
}
