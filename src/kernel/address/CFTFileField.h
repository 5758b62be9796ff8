#pragma once

#include "kernel/address/CFTCounterField.h"
#include "kernel/base/CDDFile.h"

// A counter whose running number picks a record (a line) of a delimited text file: each printed
// item shows the whole line or one field of it. A file that cannot be read shows empty texts.
class CFTFileField : public CFTCounterField
{
public:
    explicit CFTFileField(const CFTComponent *parent);
    CFTFileField(double x, double y, double width, double height, CFTComponent *parent);
    CFTFileField(double x, double y, CFTComponent *parent);
    ~CFTFileField() override;

    void Init(fieldsCount count, int numberField);
    const CDDString &GetFileName() const { return mFile.GetFileName(); }
    // Loads the file and renames the label; false when the file could not be read.
    bool SetFile(const CDDString &path);
    fieldsCount GetCountFields() const { return mFieldsCount; }
    void SetCountFields(fieldsCount count);
    int GetNumberField() const { return mNumberField; }
    void SetNumberField(int numberField);
    const CDDString &GetDelimeter() const { return mDelimiter; }
    void SetDelimeter(const CDDString &delimiter) { mDelimiter = delimiter; }

    classID getClassID() const override { return ciFileField; }
    bool Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list) override;

protected:
    void ChangeLabel() override;
    // Shows the record of the current value.
    void UpdateText() override;

private:
    CDDFile mFile;
    fieldsCount mFieldsCount = fcWholeLine;
    int mNumberField = 1;
    CDDString mDelimiter;
};
