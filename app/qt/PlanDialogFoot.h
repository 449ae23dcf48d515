#ifndef KESTO_APP_PLANDIALOGFOOT_H
#define KESTO_APP_PLANDIALOGFOOT_H

class QDialog;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

// The lower part both plan dialogs share: the plan's list taking the spare
// height, the wrapped line under it, and Apply and Cancel at the right. Cancel
// rejects the dialog. Apply is the default button unless bApplyDefault is false,
// so that sending what the address rule refuses takes a deliberate click.
// pAside, when given, stands at the left and is never a default button.
void AddPlanDialogFoot(QDialog& dialog, QVBoxLayout* pLayout, QWidget* pList, QLabel* pLine, QPushButton* pApply,
                       bool bApplyDefault, QPushButton* pAside = nullptr);

#endif
