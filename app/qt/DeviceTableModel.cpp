#include "app/qt/DeviceTableModel.h"

#include <unordered_map>

#include "app/logic/DeviceColumnSet.h"

CDeviceTableModel::CDeviceTableModel(CDeviceRowStore& store, QObject* pParent)
    : QAbstractTableModel(pParent), m_store(store) {}

void CDeviceTableModel::SetMarkIcons(const QIcon& warning, const QIcon& unsettled, const QIcon& blank) {
  m_icons[CDeviceRowStore::kNoMark] = blank;
  m_icons[CDeviceRowStore::kWarning] = warning;
  m_icons[CDeviceRowStore::kUnsettled] = unsettled;
}

int CDeviceTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_keys.size());
}

int CDeviceTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : CDeviceColumnSet::kCount;
}

const CDeviceRowStore::Row* CDeviceTableModel::RowAt(int iRow) const {
  if (iRow < 0 || iRow >= static_cast<int>(m_keys.size())) return nullptr;
  return m_store.Find(m_keys[static_cast<size_t>(iRow)]);
}

QVariant CDeviceTableModel::data(const QModelIndex& index, int iRole) const {
  const CDeviceRowStore::Row* pRow = index.isValid() ? RowAt(index.row()) : nullptr;
  if (pRow == nullptr) return {};
  switch (iRole) {
    case Qt::DisplayRole:
      // Every text is UTF-8, device texts escaped already.
      return QString::fromStdString(m_store.CellText(*pRow, index.column()));
    case Qt::DecorationRole:
      if (index.column() == 0) return m_icons[pRow->mark];
      return {};
    case Qt::UserRole:
      return QVariant::fromValue<quint64>(pRow->key);
    default:
      return {};
  }
}

QVariant CDeviceTableModel::headerData(int iSection, Qt::Orientation orientation, int iRole) const {
  if (orientation != Qt::Horizontal || iRole != Qt::DisplayRole || iSection < 0 || iSection >= CDeviceColumnSet::kCount)
    return {};
  return QString::fromLatin1(CDeviceColumnSet::Get(iSection).pszTitle);
}

void CDeviceTableModel::Sync() {
  if (m_store.Place()) {
    const std::vector<const CDeviceRowStore::Row*>& shown = m_store.Shown();
    std::unordered_map<DeviceRowKey, int> newAt;
    newAt.reserve(shown.size());
    for (size_t i = 0; i < shown.size(); ++i) newAt.emplace(shown[i]->key, static_cast<int>(i));
    // Rows that went, bottom first, a run of neighbours at a time.
    for (int i = static_cast<int>(m_keys.size()) - 1; i >= 0;) {
      if (newAt.count(m_keys[static_cast<size_t>(i)]) != 0) {
        --i;
        continue;
      }
      const int iLast = i;
      while (i >= 0 && newAt.count(m_keys[static_cast<size_t>(i)]) == 0) --i;
      beginRemoveRows(QModelIndex(), i + 1, iLast);
      m_keys.erase(m_keys.begin() + i + 1, m_keys.begin() + iLast + 1);
      endRemoveRows();
    }
    // Rows that came, at the end for now; the layout change below puts them in place.
    if (m_keys.size() < shown.size()) {
      std::vector<bool> bKnown(shown.size(), false);
      for (DeviceRowKey key : m_keys) bKnown[static_cast<size_t>(newAt[key])] = true;
      const int iFirst = static_cast<int>(m_keys.size());
      beginInsertRows(QModelIndex(), iFirst, static_cast<int>(shown.size()) - 1);
      for (size_t i = 0; i < shown.size(); ++i)
        if (!bKnown[i]) m_keys.push_back(shown[i]->key);
      endInsertRows();
    }
    bool bMoved = false;
    for (size_t i = 0; i < shown.size() && !bMoved; ++i) bMoved = m_keys[i] != shown[i]->key;
    if (bMoved) {
      emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
      const QModelIndexList from = persistentIndexList();
      QModelIndexList to;
      to.reserve(from.size());
      for (const QModelIndex& index : from)
        to << createIndex(newAt[m_keys[static_cast<size_t>(index.row())]], index.column());
      for (size_t i = 0; i < shown.size(); ++i) m_keys[i] = shown[i]->key;
      changePersistentIndexList(from, to);
      emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
  }
  if (m_store.TakeRepaint() && !m_keys.empty())
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole, Qt::DecorationRole});
}

void CDeviceTableModel::RefreshColumn(int iColumn) {
  if (!m_keys.empty()) emit dataChanged(index(0, iColumn), index(rowCount() - 1, iColumn), {Qt::DisplayRole});
}
