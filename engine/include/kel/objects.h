// The engine's object classes as a destination sees them, and the engine objects
// handed to a destination: typed regions, stores and progress monitors.
//
// Virtual operations are declared in the engine's table order; destinations built
// elsewhere rely on that order.
#pragma once

#include "kel/geometry.h"
#include "kel/types.h"
#include "kel/values.h"

class EHOLDER;
class ESTORE;
class PROGRESSINFO;

// Root of every engine object. Defaults: ClassID() is 0 (a class of its own,
// named by no CLASS_ID), IsA(id) is true exactly when id == ClassID(), Name() is
// "EBASEOBJECT". Classes that belong to families override IsA.
class KEL_API EBASEOBJECT {
public:
    EBASEOBJECT();
    // A copy is another object: it gets its own object_id.
    EBASEOBJECT(const EBASEOBJECT&);
    // Assignment copies nothing of the identity: object_id stays.
    EBASEOBJECT& operator=(const EBASEOBJECT&) { return *this; }
    virtual EBOOL8 IsA(CLASS_ID id);
    virtual CLASS_ID ClassID();
    virtual const char* Name();
    virtual ~EBASEOBJECT();

    int object_id;  // unique per process (counting from 1), given at construction
};

// Defaults: Cancel, Done and Setup answer 0; Set and Get answer KEL_ERR_UNSUPPORTED
// (Get leaves the value untouched).
class KEL_API EOBJECT : public EBASEOBJECT {
public:
    virtual int Cancel();
    virtual int Done();
    virtual int Setup();
    virtual int Set(int id, const EVALUE& value);
    virtual int Get(int id, EVALUE* value);
};

class EMATERIAL;

// A destination: where the engine delivers finished pages. The defaults answer
// KEL_ERR_UNSUPPORTED and write no out-parameter (ISAFile false, ISActive false).
class KEL_API EDESTINATION : public EOBJECT {
public:
    virtual int WantsData(int region_id, EHOLDER** holder);
    virtual int ConnectRegion(int region_id, ESTORE* store);
    virtual int PassRegion(EMATERIAL* material);
    virtual int Sink(PROGRESSINFO* progress);
    virtual int DocSetup();
    virtual int DocDone();
    virtual int Description(const char** text);
    virtual EBOOL8 ISActive();
    virtual EBOOL8 ISAFile();
    virtual int Capabilities();
};

// Material the engine passes to a destination.
class KEL_API EMATERIAL : public EOBJECT {};

// A typed region of a page. IsA answers true for the region's class and for the
// families it belongs to; ClassID gives the exact class.
class KEL_API ETYPEDREGION : public EMATERIAL {
public:
    // The region's rectangle (owned by the region), in its own coordinate space.
    virtual const ERECTANGLE* GetRectangle() = 0;
    virtual EBOOL8 HasColor() = 0;
    // Sort key: smaller prints first.
    virtual int GetOrderKey() = 0;
    // Stores the region's outline polygon (owned by the region) in *polygon.
    virtual int GetPolygon(EPOLYGON** polygon) = 0;
    // Stores the orientation code in *orientation: 0 upright, 1 to 3 quarter turns.
    virtual int GetOrientation(int* orientation) = 0;

    int number = 0;   // the region's number on its page
    int subtype = 0;  // for outline regions: the kind of drawing
};

// A data store ("xform"): produces a region's data on demand. Setup() before the
// first pull (0 when ready); Pull(holder) fills the holder, or the next line of a
// strip (KEL_MORE while lines remain, KEL_DONE with the last, KEL_OK, 
// KEL_WARN_LOST_OUTLINE, KEL_CANCELLED or a failure); Done() after the last pull;
// Cancel() stops the store (0 when stopped).
class KEL_API ESTORE : public EOBJECT {
public:
    virtual int Pull(EHOLDER* holder) = 0;
};

// Progress monitor of a page.
class KEL_API PROGRESSINFO {
public:
    virtual ~PROGRESSINFO();
    virtual int Start(int phases) = 0;
    // percent done; the reporting object; 0. KEL_CANCELLED asks the reporter to stop.
    virtual int Update(float percent, EOBJECT* reporter, int reserved) = 0;
};
