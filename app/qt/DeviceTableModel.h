#ifndef KESTO_APP_QT_DEVICETABLEMODEL_H
#define KESTO_APP_QT_DEVICETABLEMODEL_H

#include <QAbstractTableModel>
#include <QIcon>
#include <vector>

#include "app/logic/DeviceRowStore.h"

// The device list's model: the row store's shown rows in its order, every column
// CDeviceColumnSet knows. Nothing per cell is kept; texts are made in data() when
// a row is painted. Rows that come, go or move reach the views as row removals,
// row insertions and one layout change, so the selection and the current row
// stay on their devices.
class CDeviceTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit CDeviceTableModel(CDeviceRowStore& store, QObject* pParent = nullptr);

  // The icons of the first column's marks; a blank one keeps every name in line.
  void SetMarkIcons(const QIcon& warning, const QIcon& unsettled, const QIcon& blank);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int iRole = Qt::DisplayRole) const override;
  QVariant headerData(int iSection, Qt::Orientation orientation, int iRole = Qt::DisplayRole) const override;

  // Hands the store's changes since the last call to the views.
  void Sync();
  // One column's texts changed on every row (the "Last Seen" ages).
  void RefreshColumn(int iColumn);

  // The row shown at iRow, or null.
  const CDeviceRowStore::Row* RowAt(int iRow) const;
  DeviceRowKey KeyAt(int iRow) const { return m_keys[static_cast<size_t>(iRow)]; }

 private:
  CDeviceRowStore& m_store;
  std::vector<DeviceRowKey> m_keys;  // the rows as the views know them, top first
  QIcon m_icons[3];                  // by CDeviceRowStore::Mark
};

#endif
