#include "discovery/KestoSettingsChange.h"

#include "discovery/KestoName.h"

CKestoSettingsChange CKestoSettingsChange::AllOf(const KESTO_RECORD& record) {
  CKestoSettingsChange change;
  change.sName = RecordNameBytes(record);
  change.dwIPAddress = record.dwIPAddress;
  change.dwNetMask = record.dwNetMask;
  change.dwGateway = record.dwGateway;
  change.dwDNS = record.dwDNS;
  change.cType = record.cType;
  change.shProtocol = record.shProtocol;
  change.wBaudRate = record.wBaudRate;
  return change;
}

void CKestoSettingsChange::ApplyTo(KESTO_RECORD& record) const {
  if (sName) SetRecordNameField(record, *sName);
  if (dwIPAddress) record.dwIPAddress = *dwIPAddress;
  if (dwNetMask) record.dwNetMask = *dwNetMask;
  if (dwGateway) record.dwGateway = *dwGateway;
  if (dwDNS) record.dwDNS = *dwDNS;
  if (cType) record.cType = *cType;
  if (shProtocol) record.shProtocol = *shProtocol;
  if (wBaudRate) record.wBaudRate = *wBaudRate;
}

bool CKestoSettingsChange::IsAppliedIn(const KESTO_RECORD& record) const {
  return (!sName || RecordNameBytes(record) == *sName) &&
         (!dwIPAddress || record.dwIPAddress == *dwIPAddress) && (!dwNetMask || record.dwNetMask == *dwNetMask) &&
         (!dwGateway || record.dwGateway == *dwGateway) && (!dwDNS || record.dwDNS == *dwDNS) &&
         (!cType || record.cType == *cType) && (!shProtocol || record.shProtocol == *shProtocol) &&
         (!wBaudRate || record.wBaudRate == *wBaudRate);
}

bool CKestoSettingsChange::IsEmpty() const {
  return !sName && !dwIPAddress && !dwNetMask && !dwGateway && !dwDNS && !cType && !shProtocol && !wBaudRate;
}
