#pragma once
// PLACEHOLDER: the campaign wizard window. It is created at start, fifth of
// the five windows, so that the start-up order is in place; the wizard
// itself (its four steps and the campaign model) replaces this class.

#include <QDialog>

class TFormCampaignEditor final : public QDialog {
    Q_OBJECT
public:
    explicit TFormCampaignEditor(QWidget* parent = nullptr);
};
