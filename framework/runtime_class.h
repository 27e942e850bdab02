#pragma once
// Run-time class information: each framework class that carries it names
// itself and its base, so code can ask what a window object is.

struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass; // null at the root

    // True when this class is `base` or derives from it.
    bool IsDerivedFrom(const CRuntimeClass* base) const
    {
        for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
            if (c == base)
                return true;
        return false;
    }
};
