#include "VsStyleMgr.h"

#include <algorithm>

#include "Filer.h"
#include "Graphics.h"
#include "Streams.h"
#include "TypInfo.h"
#include "VsUnicodeStrings.h"

namespace {

const AnsiString DefaultKey = "(Default)";
const AnsiString TempKey = "\\...Temp";
const AnsiString InheritsFromName = "InheritsFrom";

AnsiString KeyName(const AnsiString& Path) { return !Path.empty() && Path[0] == '\\' ? Path.substr(1) : Path; }

// A property whose object is itself a component (FocusControl, PopupMenu)
// belongs to another part of the form; only owned objects such as Font are
// styled through "Object.Prop".
bool IsComponentObject(TObject* Object) { return dynamic_cast<TComponent*>(Object) != nullptr; }

bool IsStringsObject(TObject* Object) {
  return dynamic_cast<TStrings*>(Object) != nullptr || dynamic_cast<TVsWideStrings*>(Object) != nullptr;
}

bool IsGraphicObject(TObject* Object) {
  return dynamic_cast<TBitmap*>(Object) != nullptr || dynamic_cast<TIcon*>(Object) != nullptr;
}

}  // namespace

void TVsStyleMgrChangeLink::Change() {
  if (OnChange) OnChange(FStyleManager);
}

TVsStyleManager::TVsStyleManager(TComponent* AOwner) : TComponent(AOwner), FStore(std::make_unique<TVsIniFile>(nullptr)) {
  FStore->OpenKey("\\" + DefaultKey, true);
  FStore->OpenKey("\\", false);
}

TVsStyleManager::~TVsStyleManager() {
  for (TVsStyleMgrChangeLink* Link : FLinks) Link->SetStyleManager(nullptr);
}

void TVsStyleManager::RegisterChanges(TVsStyleMgrChangeLink* Link) {
  Link->SetStyleManager(this);
  FLinks.push_back(Link);
}

void TVsStyleManager::UnregisterChanges(TVsStyleMgrChangeLink* Link) {
  const auto Found = std::find(FLinks.begin(), FLinks.end(), Link);
  if (Found == FLinks.end()) return;
  Link->SetStyleManager(nullptr);
  FLinks.erase(Found);
}

void TVsStyleManager::BeginUpdate() { ++FUpdateCount; }

void TVsStyleManager::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) Changed();
}

void TVsStyleManager::Changed() {
  if (ComponentState().Contains(csLoading)) return;
  NotifyLinks();
  if (OnChange) OnChange(this);
}

void TVsStyleManager::NotifyLinks() {
  // A link's handler may unregister links (a control freeing itself).
  const std::vector<TVsStyleMgrChangeLink*> Links = FLinks;
  for (TVsStyleMgrChangeLink* Link : Links)
    if (std::find(FLinks.begin(), FLinks.end(), Link) != FLinks.end()) Link->Change();
}

void TVsStyleManager::Loaded() {
  TComponent::Loaded();
  Changed();
}

void TVsStyleManager::AssignTo(TPersistent* Dest) {
  auto* Target = dynamic_cast<TVsStyleManager*>(Dest);
  if (!Target) {
    TComponent::AssignTo(Dest);
    return;
  }
  Target->BeginUpdate();
  try {
    TMemoryStream Stream;
    FStore->SaveToStream(&Stream);
    Stream.SetPosition(0);
    Target->FStore->LoadFromStream(&Stream);
  } catch (...) {
    Target->EndUpdate();
    throw;
  }
  Target->EndUpdate();
}

void TVsStyleManager::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Style", [this](TStream* S) { LoadStyleData(S); }, [this](TStream* S) { SaveStyleData(S); },
      FStore->SubKeysCount("\\") > 0);
}

void TVsStyleManager::SaveStyleData(TStream* Stream) { FStore->SaveToStream(Stream); }

void TVsStyleManager::LoadStyleData(TStream* Stream) {
  BeginUpdate();
  try {
    FStore->LoadFromStream(Stream);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TVsStyleManager::ApplyStyle(TComponent* Control, const AnsiString& StyleName) {
  if (FApplying) {
    // A property setter asked for a style while one is being applied: the
    // scratch key and the name lists are in use, so it waits its turn.
    FPending.emplace_back(Control, StyleName);
    return;
  }
  FApplying = true;
  try {
    ApplyNow(Control, StyleName);
    while (!FPending.empty()) {
      const auto Next = FPending.front();
      FPending.erase(FPending.begin());
      ApplyNow(Next.first, Next.second);
    }
  } catch (...) {
    FPending.clear();
    FApplying = false;
    throw;
  }
  FApplying = false;
}

void TVsStyleManager::ApplyNow(TComponent* Control, const AnsiString& StyleName) {
  if (StyleName.empty()) {
    ApplyStyleKey(Control, "\\" + DefaultKey);
    return;
  }
  FStore->Delete(TempKey, AnsiString());
  FStore->OpenKey(TempKey, true);
  FStore->OpenKey("\\", false);
  FVisited.Clear();
  // The class as the class registry names it (no C++ namespaces).
  const AnsiString ClassKey = "\\" + ShortTypeName(typeid(*Control));
  if (StyleName[0] == '.') {
    MergeStyle(ClassKey, TempKey);
    MergeStyle("\\" + StyleName, TempKey);
  } else {
    MergeStyle(FStore->KeyExists(ClassKey) ? ClassKey : "\\" + DefaultKey, TempKey);
  }
  ApplyStyleKey(Control, TempKey);
  FStore->Delete(TempKey, AnsiString());
}

void TVsStyleManager::MergeStyle(const AnsiString& Source, const AnsiString& Target) {
  const AnsiString Name = KeyName(Source);
  if (FVisited.IndexOf(Name) < 0) FVisited.Add(Name);
  AnsiString Parent;
  if (FStore->GetValueType(Source, InheritsFromName) != ivtString || !FStore->ReadString(Source, InheritsFromName, Parent, AnsiString()))
    Parent = DefaultKey;
  // The visited names end inheritance cycles: every key is merged once.
  if (Parent != Name && FVisited.IndexOf(Parent) < 0) {
    FVisited.Add(Parent);
    MergeStyle("\\" + Parent, Target);
  }
  TStringList Names;
  FStore->EnumValues(Source, &Names);
  for (int I = 0; I < Names.Count(); ++I) FStore->CopyValue(Source, Names.Strings(I), Target);
}

void TVsStyleManager::ApplyStyleKey(TComponent* Control, const AnsiString& Key) {
  FValueNames.Clear();
  if (!FStore->KeyExists(Key)) return;
  FStore->EnumValues(Key, &FValueNames);
  // A setter may apply a style of its own (queued) but never touches this
  // list; still, work on a copy so that nothing depends on that.
  TStringList Names;
  Names.Assign(&FValueNames);
  for (int I = 0; I < Names.Count(); ++I) {
    const AnsiString ValueName = Names.Strings(I);
    TObject* Target = Control;
    AnsiString PropName = ValueName;
    const size_t Dot = PropName.find('.');
    if (Dot != AnsiString::npos) {
      const TPropInfo* Owner = GetPropInfo(Target, PropName.substr(0, Dot));
      if (!Owner || Owner->Kind() != tkClass) continue;
      TObject* Object = GetObjectProp(Target, Owner);
      if (!Object || IsComponentObject(Object)) continue;
      Target = Object;
      PropName = PropName.substr(Dot + 1);
    }
    AnsiString TypeName;
    const size_t Bar = PropName.find('|');
    if (Bar != AnsiString::npos) {
      TypeName = PropName.substr(Bar + 1);
      PropName = PropName.substr(0, Bar);
    }
    // "Font.Name.Size": one level of object only.
    if (PropName.find('.') != AnsiString::npos) continue;
    const TPropInfo* Prop = GetPropInfo(Target, PropName);
    if (!Prop) continue;
    if (Bar != AnsiString::npos && !SameText(TypeName, Prop->TypeName())) continue;
    ApplyValue(Target, Prop, Key, ValueName);
  }
}

void TVsStyleManager::ApplyValue(TObject* Target, const TPropInfo* Prop, const AnsiString& Key,
                                 const AnsiString& ValueName) {
  const TTypeKind Kind = Prop->Kind();
  // A property without a writer cannot take a value (objects are filled in place).
  if (Kind != tkClass && Prop->ReadOnly()) return;
  switch (FStore->GetValueType(Key, ValueName)) {
    case ivtBoolean: {
      bool Value;
      if (Kind == tkEnumeration && FStore->ReadBool(Key, ValueName, Value, false)) SetOrdProp(Target, Prop, Value ? 1 : 0);
      break;
    }
    case ivtInteger: {
      Integer Value;
      if ((Kind == tkInteger || Kind == tkEnumeration) && FStore->ReadInteger(Key, ValueName, Value, 0))
        SetOrdProp(Target, Prop, Value);
      break;
    }
    case ivtString: {
      AnsiString Value;
      if (Kind != tkChar && Kind != tkString && Kind != tkWString && Kind != tkSet && Kind != tkInteger) break;
      if (!FStore->ReadString(Key, ValueName, Value, AnsiString())) break;
      if (Kind == tkSet) {
        SetSetProp(Target, Prop, Value);
      } else if (Kind == tkInteger) {
        Integer Color;
        if (!IdentToColor(Value, Color)) Color = StringToColor(Value);
        SetOrdProp(Target, Prop, Color);
      } else if (Kind == tkChar) {
        if (Value.size() != 1) throw EConvertError(Format("'%s' is not a character", Value));
        SetOrdProp(Target, Prop, static_cast<unsigned char>(Value[0]));
      } else {
        SetStrProp(Target, Prop, Value);
      }
      break;
    }
    case ivtMultiString: {
      if (Kind != tkClass) break;
      TObject* Object = GetObjectProp(Target, Prop);
      if (!Object || !IsStringsObject(Object)) break;
      TStringList List;
      if (!FStore->ReadMultiString(Key, ValueName, &List)) break;
      static_cast<TPersistent*>(Object)->Assign(&List);
      break;
    }
    case ivtBinary: {
      if (Kind != tkClass) break;
      TObject* Object = GetObjectProp(Target, Prop);
      if (!Object || !IsGraphicObject(Object)) break;
      int Size = -1;
      FStore->ReadBinary(Key, ValueName, Size, nullptr);
      if (Size < 0) break;
      std::vector<Byte> Buffer(static_cast<size_t>(Size));
      if (!FStore->ReadBinary(Key, ValueName, Size, Buffer.data())) break;
      TMemoryStream Stream;
      Stream.Write(Buffer.data(), Size);
      Stream.SetPosition(0);
      static_cast<TGraphic*>(Object)->LoadFromStream(&Stream);
      break;
    }
    case ivtFloat: {
      double Value;
      if (Kind == tkFloat && FStore->ReadFloat(Key, ValueName, Value, 0)) SetFloatProp(Target, Prop, Value);
      break;
    }
    default:
      break;
  }
}

bool RelinkStyleManager(TComponent* Client, TVsStyleMgrChangeLink* Link, TVsStyleManager*& Current,
                        TVsStyleManager* Value) {
  if (Current == Value) return false;
  if (Current) {
    if (!Current->ComponentState().Contains(csDestroying)) Current->RemoveFreeNotification(Client);
    Current->UnregisterChanges(Link);
  }
  Current = Value;
  if (!Value) return false;
  Value->FreeNotification(Client);
  Value->RegisterChanges(Link);
  return true;
}

void InitializeVsStyleMgr() {
  RegisterClass<TVsStyleManager, TComponent>().Event("OnChange", &TVsStyleManager::OnChange);
}
