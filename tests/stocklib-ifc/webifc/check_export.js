// Reads an exported IFC file with web-ifc, a reader independent of ours, and compares what it
// finds with the library's objects as `stocklib-tool list --json` gives them.
// Usage: node check_export.js FILE.ifc MATERIALS.json COMPOSITIONS.json PROFILES.json
const fs = require('fs');
const WebIFC = require('web-ifc');

const [ifcPath, materialsPath, compositionsPath, profilesPath] = process.argv.slice(2);
const read = (p) => JSON.parse(fs.readFileSync(p, 'utf8')).objects;
let failures = 0;
const fail = (what) => { console.error('FAIL ' + what); failures++; };
const near = (a, b) => Math.abs(a - b) <= 1e-9 * Math.max(1, Math.abs(b));

// The profile's full name: the standard unless "user defined", the name, the size unless "0".
const fullName = (a) => [a['profile_name.standard'] === 'user defined' ? '' : a['profile_name.standard'],
  a.profile_name, a.size === '0' ? '' : a.size].filter((s) => s).join(' ');

// IFC class, our dimension and the IFC attribute it is written to (radius and semi-axes: half).
const halved = new Set(['diameter', 'EllipseProfile.width', 'EllipseProfile.height']);
const outline = [WebIFC.IFCARBITRARYCLOSEDPROFILEDEF, {}];
const shapes = {
  AsymmetricIShapeProfile: [WebIFC.IFCASYMMETRICISHAPEPROFILEDEF, { height: 'OverallDepth',
    top_width: 'TopFlangeWidth', bottom_width: 'BottomFlangeWidth', web_thickness: 'WebThickness' }],
  CShapeProfile: [WebIFC.IFCCSHAPEPROFILEDEF, { height: 'Depth', width: 'Width',
    wall_thickness: 'WallThickness', lip_length: 'Girth' }],
  ZShapeProfile: [WebIFC.IFCZSHAPEPROFILEDEF, { height: 'Depth', width: 'FlangeWidth' }],
  TrapeziumProfile: [WebIFC.IFCTRAPEZIUMPROFILEDEF, { height: 'YDim', bottom_width: 'BottomXDim',
    top_width: 'TopXDim' }],
  EllipseProfile: [WebIFC.IFCELLIPSEPROFILEDEF, { width: 'SemiAxis1', height: 'SemiAxis2' }],
  RoundedRectangleProfile: [WebIFC.IFCROUNDEDRECTANGLEPROFILEDEF, { width: 'XDim', height: 'YDim',
    radius: 'RoundingRadius' }],
  CraneRailAShapeProfile: outline,
  CraneRailFShapeProfile: outline,
  CustomProfile: outline,
  IShapeProfile: [WebIFC.IFCISHAPEPROFILEDEF, { height: 'OverallDepth', width: 'OverallWidth',
    web_thickness: 'WebThickness', flange_thickness: 'FlangeThickness' }],
  UShapeProfile: [WebIFC.IFCUSHAPEPROFILEDEF, { height: 'Depth', width: 'FlangeWidth',
    web_thickness: 'WebThickness', flange_thickness: 'FlangeThickness' }],
  TShapeProfile: [WebIFC.IFCTSHAPEPROFILEDEF, { height: 'Depth', width: 'FlangeWidth' }],
  LShapeProfile: [WebIFC.IFCLSHAPEPROFILEDEF, { height: 'Depth', width: 'Width', thickness: 'Thickness' }],
  RectangleProfile: [WebIFC.IFCRECTANGLEPROFILEDEF, { width: 'XDim', height: 'YDim' }],
  RectangleHollowProfile: [WebIFC.IFCRECTANGLEHOLLOWPROFILEDEF, { width: 'XDim', height: 'YDim',
    wall_thickness: 'WallThickness' }],
  CircleProfile: [WebIFC.IFCCIRCLEPROFILEDEF, { diameter: 'Radius' }],
  CircleHollowProfile: [WebIFC.IFCCIRCLEHOLLOWPROFILEDEF, { diameter: 'Radius', wall_thickness: 'WallThickness' }],
};

(async () => {
  const api = new WebIFC.IfcAPI();
  await api.Init();
  const model = api.OpenModel(new Uint8Array(fs.readFileSync(ifcPath)));
  const lines = (type) => {
    const ids = api.GetLineIDsWithType(model, type);
    const out = [];
    for (let i = 0; i < ids.size(); i++) out.push(api.GetLine(model, ids.get(i)));
    return out;
  };

  const materials = new Map(lines(WebIFC.IFCMATERIAL).map((m) => [m.Name.value, m]));
  const ours = read(materialsPath);
  if (materials.size !== ours.length) fail(`materials: ${materials.size} in IFC, ${ours.length} in the library`);
  for (const m of ours) {
    const found = materials.get(m.attributes.name);
    if (!found) { fail('material missing: ' + m.attributes.name); continue; }
    if ((m.attributes.description || null) !== (found.Description ? found.Description.value : null))
      fail('material description differs: ' + m.attributes.name);
  }

  const sets = new Map(lines(WebIFC.IFCMATERIALLAYERSET).map((s) => [s.LayerSetName.value, s]));
  const compositions = read(compositionsPath);
  if (sets.size !== compositions.length) fail(`layer sets: ${sets.size} in IFC, ${compositions.length} in the library`);
  for (const c of compositions) {
    const set = sets.get(c.attributes.name);
    if (!set) { fail('layer set missing: ' + c.attributes.name); continue; }
    const plies = c.children.filter((p) => p.element === 'Ply');
    if (plies.length !== set.MaterialLayers.length) { fail('layer count differs: ' + c.attributes.name); continue; }
    plies.forEach((ply, i) => {
      const layer = api.GetLine(model, set.MaterialLayers[i].value);
      const material = api.GetLine(model, layer.Material.value);
      if (!near(layer.LayerThickness.value, Number(ply.attributes.thickness)) ||
          material.Name.value !== ply.attributes.material)
        fail(`layer ${i} of ${c.attributes.name} differs`);
    });
  }

  const profiles = read(profilesPath);
  const byName = new Map();
  for (const type of new Set(Object.values(shapes).map(([t]) => t)))
    for (const p of lines(type)) byName.set(type + '\n' + p.ProfileName.value, p);
  // Each profile is the one profile of a material profile set of its name, the material of a
  // beam or column type of that name.
  const profileSets = new Map(lines(WebIFC.IFCMATERIALPROFILESET).map((s) => [s.Name.value, s]));
  const typed = new Map();
  for (const r of lines(WebIFC.IFCRELASSOCIATESMATERIAL))
    for (const o of r.RelatedObjects) {
      const t = api.GetLine(model, o.value);
      if (t.type === WebIFC.IFCBEAMTYPE || t.type === WebIFC.IFCCOLUMNTYPE) typed.set(t.Name.value, r.RelatingMaterial.value);
    }
  let mapped = 0;
  for (const p of profiles) {
    if (!shapes[p.element]) continue;
    mapped++;
    const name = fullName(p.attributes);
    const found = byName.get(shapes[p.element][0] + '\n' + name);
    if (!found) { fail(`profile missing: ${p.element} ${name}`); continue; }
    const set = profileSets.get(name);
    if (!set || api.GetLine(model, set.MaterialProfiles[0].value).Profile.value !== found.expressID ||
        typed.get(name) !== set.expressID) fail(`${name}: no material profile set of a beam or column type`);
    for (const [ours, theirs] of Object.entries(shapes[p.element][1])) {
      const want = Number(p.attributes[ours]) / (halved.has(ours) || halved.has(p.element + '.' + ours) ? 2 : 1);
      if (!near(found[theirs].value, want)) fail(`${fullName(p.attributes)}: ${theirs} ${found[theirs].value}, want ${want}`);
    }
  }
  if (byName.size !== mapped) fail(`profiles: ${byName.size} in IFC, ${mapped} in the library`);
  const libraries = lines(WebIFC.IFCPROJECTLIBRARY).length, projects = lines(WebIFC.IFCPROJECT).length;
  if (libraries !== 1 || projects !== 1) fail(`${projects} projects and ${libraries} project libraries`);
  api.CloseModel(model);
  console.log(`${materials.size} materials, ${sets.size} layer sets, ${byName.size} profiles checked; ${failures} failures`);
  process.exit(failures ? 1 : 0);
})().catch((e) => { console.error(e); process.exit(1); });
