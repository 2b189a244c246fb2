#pragma once
// A page of the window that does its own work when its tab becomes current
// (fills its lists, refreshes the port list, shows the file's values).

class ShownPage
{
public:
    virtual ~ShownPage() = default;
    virtual void shown() = 0;

protected:
    ShownPage() = default;
    ShownPage(const ShownPage &) = default;
    ShownPage &operator=(const ShownPage &) = default;
};
