#include "campaign/TFormCampaignEditor.hpp"

// PLACEHOLDER until the campaign wizard is written: an empty window.
TFormCampaignEditor::TFormCampaignEditor(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormCampaignEditor");
}
