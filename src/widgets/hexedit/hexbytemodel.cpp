#include "hexbytemodel.h"

#include <algorithm>

namespace qlv {

namespace {

// Records are 512 bytes; a long history costs little and is bounded all the same.
constexpr std::size_t MaxUndoSteps = 1000;

} // namespace

HexByteModel::HexByteModel(QObject* parent)
    : QObject(parent)
{
}

void HexByteModel::load(const QByteArray& bytes)
{
    m_data = bytes;
    m_changed.assign(std::size_t(bytes.size()), false);
    m_undo.clear();
    emit dataChanged();
    setModified(false);
}

QByteArray HexByteModel::read(qsizetype position, qsizetype length) const
{
    if (position < 0 || length < 0 || position > m_data.size() - length)
        throw HexRangeError();
    return m_data.mid(position, length);
}

bool HexByteModel::isChanged(qsizetype position) const
{
    return position >= 0 && position < qsizetype(m_changed.size()) &&
           m_changed[std::size_t(position)];
}

void HexByteModel::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void HexByteModel::remember()
{
    if (m_undo.size() >= MaxUndoSteps)
        m_undo.erase(m_undo.begin());
    m_undo.push_back({m_data, m_changed, m_modified});
}

void HexByteModel::edited()
{
    emit dataChanged();
    setModified(true);
}

void HexByteModel::overwrite(qsizetype position, const QByteArray& bytes)
{
    position = std::clamp<qsizetype>(position, 0, m_data.size());
    if (bytes.isEmpty())
        return;
    remember();
    const qsizetype end = position + bytes.size();
    if (end > m_data.size()) {
        m_data.resize(end);
        m_changed.resize(std::size_t(end), false);
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        m_data[position + i] = bytes[i];
        m_changed[std::size_t(position + i)] = true;
    }
    edited();
}

void HexByteModel::insert(qsizetype position, const QByteArray& bytes)
{
    position = std::clamp<qsizetype>(position, 0, m_data.size());
    if (bytes.isEmpty())
        return;
    remember();
    m_data.insert(position, bytes);
    m_changed.insert(m_changed.begin() + position, std::size_t(bytes.size()), true);
    edited();
}

void HexByteModel::remove(qsizetype position, qsizetype count)
{
    position = std::clamp<qsizetype>(position, 0, m_data.size());
    count = std::clamp<qsizetype>(count, 0, m_data.size() - position);
    if (count == 0)
        return;
    remember();
    m_data.remove(position, count);
    m_changed.erase(m_changed.begin() + position, m_changed.begin() + position + count);
    edited();
}

void HexByteModel::undo()
{
    if (m_undo.empty())
        return;
    Snapshot last = std::move(m_undo.back());
    m_undo.pop_back();
    m_data = std::move(last.data);
    m_changed = std::move(last.changed);
    emit dataChanged();
    setModified(last.modified);
}

} // namespace qlv
