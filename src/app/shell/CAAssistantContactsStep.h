#pragma once

#include "kernel/base/FTComponentTypes.h"

#include <QString>

#include <memory>
#include <optional>

class PWPerson;
class QWidget;

// What the assistant asks of its contacts step: the recipient and the sender chosen or typed,
// their address types, the print list, and which tab the step shows (0 sender, 1 recipient,
// 2 print list). Without one the assistant finishes at the design step.
class CAAssistantContactsStep
{
public:
    virtual ~CAAssistantContactsStep() = default;

    // The step's controls, put into the assistant's third page.
    virtual QWidget *view() = 0;
    // Prepares the step; a design with a sender side only opens it on the sender tab.
    virtual void initControls(bool senderOnly) = 0;
    virtual int currentTabViewIndex() const = 0;
    virtual void selectTab(int index) = 0;
    virtual std::shared_ptr<PWPerson> person(bool toFrom) const = 0;
    virtual addressType recipientAddrType() const = 0;
    virtual addressType senderAddrType() const = 0;
    // Nothing when the print-list tab was never shown.
    virtual std::optional<QString> selectedPrintListName() const = 0;
    // Stores the sender list, and the print lists when asked to.
    virtual void storeLists(bool printLists) = 0;
};
